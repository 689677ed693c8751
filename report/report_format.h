// The report's own texts: section names, the step lines and the line formats. The station's
// writer (report.cpp) and the results tool's reader both take them from here, so a reader can
// never expect a line the writer does not write.
#ifndef REPORT_REPORT_FORMAT_H
#define REPORT_REPORT_FORMAT_H

#include <string>
#include <string_view>

#include "base/steps.h"

// Every line ends so; the results tool also takes a bare LF (a file copied through a tool
// that rewrote its line ends).
constexpr char kReportLineEnd[] = "\r\n";

constexpr char kAsioSectionName[] = "[ASIO Driver]";
// The "[ASIO Driver]" lines after the optional driver name (each with its line end).
constexpr char kOutputChannelsFormat[] = "%d Output Channels (%d x 2)\r\n";  // 2 x pairs, pairs
constexpr char kInputChannelsFormat[] = "%d Input Channels (%d x 2)\r\n";
constexpr char kFrequencyFormat[] = "Audio Frequency %d Hz\r\n";
constexpr char kOutputLatencyFormat[] = "Output Latency %d samples\r\n";
constexpr char kInputLatencyFormat[] = "Input Latency %d samples\r\n";

// A test section whose step passed nothing (or never ran), and one whose every control passed.
constexpr char kNotTestedLine[] = "<Not Tested>\r\n";
constexpr char kCompletedLine[] = "<Test Completed OK>\r\n";
// Otherwise one line per control of the step: its name, a comma and the outcome.
constexpr char kPassedOutcome[] = "Tested OK";
constexpr char kNotPassedOutcome[] = "Not Tested";
constexpr char kEntryOutcomeSeparator = ',';
// A control's name: the word, the number 1..128, and for a channel entry its channel 1..16.
constexpr char kAnyChannelNameFormat[] = "%s %d";
constexpr char kChannelNameFormat[] = "%s %d Channel %d";
constexpr char kChannelNameWord[] = " Channel ";

struct ReportTestSection {
  int step;          // kStepNoteTest, kStepControllerTest or kStepNoteRxTest
  const char* name;  // the section's header line
  const char* word;  // the first word of its control names
};

// The three test sections in the order the report holds them.
constexpr int kReportTestSectionCount = 3;
constexpr ReportTestSection kReportTestSections[kReportTestSectionCount] = {
    {kStepNoteTest, "[Midi Note Test]", "Note"},
    {kStepControllerTest, "[Midi Controller Test]", "Controller"},
    {kStepNoteRxTest, "[Midi Note Rx Test]", "Note"},
};

// The report's name of a control: "Note 8 Channel 1" (index 135), "Controller 13" (index 12).
std::string reportControlName(const char* word, int index);
// A report line without its line end (CR LF or LF).
std::string_view withoutLineEnd(std::string_view line);

#endif
