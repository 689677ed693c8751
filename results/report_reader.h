// One report file read against a model, as the station writes it: the optional "[ASIO Driver]"
// section, then the three test sections. What does not read as a report of this model is set
// aside with the line and the reason.
#ifndef RESULTS_REPORT_READER_H
#define RESULTS_REPORT_READER_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/results_model.h"

enum class StepOutcome : uint8_t {
  NotRun,     // "<Not Tested>": the step passed nothing on this unit, or never ran
  Completed,  // "<Test Completed OK>": every control of the step passed
  Listed,     // one line per control, some passed and some not
};

struct StepReading {
  StepOutcome outcome = StepOutcome::NotRun;
  std::vector<uint16_t> notPassed;  // control indices, Listed only
};

struct AsioReading {
  bool present = false;
  std::string driverName;  // may be empty
  int outputChannels = 0, inputChannels = 0;
  int rate = 0;
  int outputLatency = 0, inputLatency = 0;
};

struct ReportReading {
  AsioReading asio;
  StepReading steps[kReportTestSectionCount];
};

struct SetAsideReason {
  int line = 0;      // 0: the file as a whole
  std::string code;  // short name: "not-a-report", "unknown-control", ...
  std::string message;
};

// Reports are small: anything larger cannot be one and is not read.
constexpr size_t kLargestReport = 4u << 20;

// False with the reason when text is not a report of this model.
bool readReport(std::string_view text, const ResultsModel& model, ReportReading& reading,
                SetAsideReason& why);
// The control index a report's control name stands for, or -1 ("Note 8 Channel 1" -> 135).
// Accepts exactly the names reportControlName writes.
int parseControlName(std::string_view name, const char* word);

#endif
