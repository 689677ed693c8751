// The report reader against the station's own writer: every name the writer gives a control
// reads back as that control, and every report the writer makes of a model's result tables
// reads back as what the tables held.
#include <filesystem>
#include <fstream>

#include "report/report.h"
#include "report/results.h"
#include "results/report_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(ControlNames, EveryNameTheWriterGivesReadsBack) {
  for (const ReportTestSection& section : kReportTestSections) {
    for (int index = 0; index < kControlCount; ++index) {
      EXPECT_EQ(parseControlName(reportControlName(section.word, index), section.word), index);
    }
  }
  EXPECT_EQ(reportControlName("Note", 135), "Note 8 Channel 1");
  EXPECT_EQ(reportControlName("Controller", 12), "Controller 13");
}

TEST(ControlNames, NamesTheWriterNeverGivesReadAsNone) {
  for (const char* name : {"Note 0", "Note 129", "Note 08", "Note 8 Channel 0", "Note 8 Channel 17",
                           "Note 8 Channel 01", "Note  8", "Note 8 ", "Note 8 channel 1",
                           "Controller 8", "Note", "Note -1", "Notes 8"}) {
    EXPECT_EQ(parseControlName(name, "Note"), -1) << name;
  }
}

class WrittenReports : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("velk-results-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    // Notes 64 (LED) and 7:1, controllers 12:1 and 0:2.
    std::ofstream(folder_ / "model.ini", std::ios::binary)
        << "[notes]\r\n64=0,0,10,10,1\r\n7:1=20,0,10,10,0\r\n"
        << "[controllers]\r\n12:1=0,20,10,10\r\n0:2=20,20,10,10\r\n";
    std::string why;
    ASSERT_TRUE(
        loadResultsModel({(folder_ / "model.ini").string(), "", folder_.string()}, model_, why))
        << why;
    clearResults();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // The table of a step as the station's snapshot leaves it: -1 outside the step.
  static void fillTable(ResultTable& table, const ModelStep& step, int value) {
    for (int i = 0; i < kControlCount; ++i) {
      table.entry[i] = static_cast<int16_t>(step.takesPart[i] ? value : -1);
    }
  }

  std::filesystem::path folder_;
  ResultsModel model_;
};

TEST_F(WrittenReports, ModelTakesItsStepsFromTheSettings) {
  EXPECT_EQ(model_.steps[0].controls, (std::vector<uint16_t>{64, 135}));
  EXPECT_EQ(model_.steps[1].controls, (std::vector<uint16_t>{140, 256}));
  EXPECT_EQ(model_.steps[2].controls, (std::vector<uint16_t>{64}));
}

TEST_F(WrittenReports, WhatTheWriterWritesReadsBack) {
  fillTable(noteResults, model_.steps[0], 1);
  noteResults.entry[135] = 0;  // Note 8 Channel 1 failed
  fillTable(controllerResults, model_.steps[1], 1);
  // receiveResults stays all 0: the step never ran.
  AsioSummary summary{"Velk DJ-2 ASIO", 4, 2, 44100.0, 256, 512};
  ReportReading reading;
  SetAsideReason why;
  for (const char* lineEnd : {"\r\n", "\n"}) {
    std::string text = composeReport(&summary);
    if (std::string(lineEnd) == "\n") {
      std::erase(text, '\r');
    }
    ASSERT_TRUE(readReport(text, model_, reading, why)) << why.line << ": " << why.message;
    EXPECT_EQ(reading.steps[0].outcome, StepOutcome::Listed);
    EXPECT_EQ(reading.steps[0].notPassed, (std::vector<uint16_t>{135}));
    EXPECT_EQ(reading.steps[1].outcome, StepOutcome::Completed);
    EXPECT_EQ(reading.steps[2].outcome, StepOutcome::NotRun);
    EXPECT_TRUE(reading.asio.present);
    EXPECT_EQ(reading.asio.driverName, "Velk DJ-2 ASIO");
    EXPECT_EQ(reading.asio.outputChannels, 4);
    EXPECT_EQ(reading.asio.inputChannels, 2);
    EXPECT_EQ(reading.asio.rate, 44100);
    EXPECT_EQ(reading.asio.outputLatency, 512);
    EXPECT_EQ(reading.asio.inputLatency, 256);
  }
  ASSERT_TRUE(readReport(composeReport(nullptr), model_, reading, why)) << why.message;
  EXPECT_FALSE(reading.asio.present);
}

TEST_F(WrittenReports, ReportOfABiggerModelIsAnotherVersion) {
  // The same unit once had a second LED note: its report names a note this model lacks.
  fillTable(receiveResults, model_.steps[2], 1);
  receiveResults.entry[135] = 0;
  fillTable(noteResults, model_.steps[0], 1);
  noteResults.entry[64] = 0;
  ReportReading reading;
  SetAsideReason why;
  EXPECT_FALSE(readReport(composeReport(nullptr), model_, reading, why));
  EXPECT_EQ(why.code, "unknown-control");
  EXPECT_EQ(why.message,
            "[Midi Note Rx Test] names Note 8 Channel 1, which is not among this model's LED "
            "notes: a report of an older version of this model");
}

}  // namespace
