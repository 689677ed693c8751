// The results tool's report reader. Input: a model (every three bytes: a step and a control
// index taking part in it; none: a small model of its own), then after a "%%" line the
// report's bytes. Whatever the bytes, the reader ends and either sets the file aside with a
// code and a message, or gives a reading that a report of that model can hold: a listed step
// failed some of the step's controls, each once, and passed at least one; a step passed whole
// has controls. The station's own writer, given that reading, writes a report that reads back
// the same.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "report/report.h"
#include "report/results.h"
#include "results/report_reader.h"

namespace {

ResultsModel modelOf(const std::string& modelBytes) {
  ResultsModel model;
  static const char* kNames[kReportTestSectionCount] = {"notes", "controllers", "leds"};
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    model.steps[s].section = kReportTestSections[s];
    model.steps[s].csvName = kNames[s];
    model.steps[s].takesPart.assign(kControlCount, 0);
    model.steps[s].rects.assign(kControlCount, ControlRect{});
  }
  const auto add = [&](int step, int index) { model.steps[step].takesPart[index] = 1; };
  if (modelBytes.size() < 3) {
    for (int index : {64, 65, 135, 136}) {
      add(0, index);
    }
    add(1, 140), add(1, 141), add(2, 64), add(2, 135);
  }
  for (size_t i = 0; i + 2 < modelBytes.size(); i += 3) {
    const int index =
        ((static_cast<uint8_t>(modelBytes[i + 1]) << 8) | static_cast<uint8_t>(modelBytes[i + 2]));
    add(static_cast<uint8_t>(modelBytes[i]) % kReportTestSectionCount, index % kControlCount);
  }
  for (ModelStep& step : model.steps) {
    for (int i = 0; i < kControlCount; ++i) {
      if (step.takesPart[i]) {
        step.controls.push_back(static_cast<uint16_t>(i));
      }
    }
  }
  return model;
}

ResultTable& tableOf(int step) {
  return step == 0 ? noteResults : step == 1 ? controllerResults : receiveResults;
}

// The station's tables for a reading, and the report its writer makes of them.
std::string rewritten(const ResultsModel& model, const ReportReading& reading) {
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    ResultTable& table = tableOf(s);
    const StepReading& step = reading.steps[s];
    for (int i = 0; i < kControlCount; ++i) {
      const bool takesPart = model.steps[s].takesPart[i] != 0;
      table.entry[i] = static_cast<int16_t>(step.outcome == StepOutcome::NotRun ? 0
                                            : takesPart                         ? 1
                                                                                : -1);
    }
    for (uint16_t index : step.notPassed) {
      table.entry[index] = 0;
    }
  }
  AsioSummary summary{};
  if (reading.asio.present) {
    std::snprintf(summary.driverName, sizeof summary.driverName, "%s",
                  reading.asio.driverName.c_str());
    summary.outputCount = reading.asio.outputChannels;
    summary.inputCount = reading.asio.inputChannels;
    summary.sampleRate = reading.asio.rate;
    summary.outputLatency = reading.asio.outputLatency;
    summary.inputLatency = reading.asio.inputLatency;
  }
  return composeReport(reading.asio.present ? &summary : nullptr);
}

bool sameReading(const ReportReading& a, const ReportReading& b) {
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    if (a.steps[s].outcome != b.steps[s].outcome || a.steps[s].notPassed != b.steps[s].notPassed) {
      return false;
    }
  }
  return a.asio.present == b.asio.present && a.asio.driverName == b.asio.driverName &&
         a.asio.outputChannels == b.asio.outputChannels &&
         a.asio.inputChannels == b.asio.inputChannels && a.asio.rate == b.asio.rate &&
         a.asio.outputLatency == b.asio.outputLatency && a.asio.inputLatency == b.asio.inputLatency;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 2);
  const ResultsModel model = modelOf(parts[0]);
  const std::string& text = parts[1];
  ReportReading reading;
  SetAsideReason why;
  if (!readReport(text, model, reading, why)) {
    FUZZ_CHECK(!why.code.empty() && !why.message.empty());
    FUZZ_CHECK(why.line >= 0 && static_cast<size_t>(why.line) <= text.size() + 1);
    return 0;
  }
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    const ModelStep& step = model.steps[s];
    const StepReading& got = reading.steps[s];
    FUZZ_CHECK(got.outcome != StepOutcome::Completed || !step.controls.empty());
    FUZZ_CHECK(got.outcome == StepOutcome::Listed || got.notPassed.empty());
    if (got.outcome == StepOutcome::Listed) {
      FUZZ_CHECK(!got.notPassed.empty() && got.notPassed.size() < step.controls.size());
      std::vector<uint8_t> seen(kControlCount, 0);
      for (uint16_t index : got.notPassed) {
        FUZZ_CHECK(index < kControlCount && step.takesPart[index] && !seen[index]);
        seen[index] = 1;
      }
    }
  }
  // The writer's buffer holds 127 characters of the driver's name.
  if (reading.asio.driverName.size() < sizeof AsioSummary{}.driverName &&
      reading.asio.driverName.find('\0') == std::string::npos) {
    const std::string again = rewritten(model, reading);
    ReportReading reread;
    SetAsideReason whyNot;
    FUZZ_CHECK(readReport(again, model, reread, whyNot));
    FUZZ_CHECK(sameReading(reading, reread));
  }
  return 0;
}
