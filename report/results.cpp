#include "report/results.h"

#include <cstring>

#include "base/steps.h"

ResultTable noteResults;
ResultTable controllerResults;
ResultTable receiveResults;

namespace {

// Controls passed on the pages of the current step that have already been left; the page
// tables only hold the page on screen. Window thread only.
int16_t passedOnEarlierPage[kControlCount];

struct StepTables {
  ResultTable* results;
  const int16_t* defined;
  const Shared<int16_t>* tested;
  const int32_t* receiveFlag;  // null: every defined entry takes part
};

}  // namespace

static bool stepTables(int step, StepTables& tables) {
  switch (step) {
    case kStepNoteTest:
      tables = {&noteResults, controlMap.noteDefined, controlMap.noteTested, nullptr};
      return true;
    case kStepControllerTest:
      tables = {&controllerResults, controlMap.controllerDefined, controlMap.controllerTested,
                nullptr};
      return true;
    case kStepNoteRxTest:
      tables = {&receiveResults, controlMap.noteDefined, controlMap.noteTested,
                controlMap.receiveFlag};
      return true;
    default:
      return false;
  }
}

void collectPageResults(int step) {
  StepTables tables;
  if (!stepTables(step, tables)) {
    return;
  }
  for (int i = 0; i < kControlCount; ++i) {
    if (tables.tested[i].get() != 0) {
      passedOnEarlierPage[i] = 1;
    }
  }
}

void snapshotResults(int step) {
  StepTables tables;
  if (stepTables(step, tables)) {
    for (int i = 0; i < kControlCount; ++i) {
      const bool takesPart =
          tables.defined[i] != 0 && (tables.receiveFlag == nullptr || tables.receiveFlag[i] != 0);
      const bool passed = tables.tested[i].get() != 0 || passedOnEarlierPage[i] != 0;
      tables.results->entry[i] = static_cast<int16_t>(takesPart ? (passed ? 1 : 0) : -1);
    }
  }
  // The next step collects its pages afresh.
  std::memset(passedOnEarlierPage, 0, sizeof passedOnEarlierPage);
}

void clearResults() {
  std::memset(&noteResults, 0, sizeof noteResults);
  std::memset(&controllerResults, 0, sizeof controllerResults);
  std::memset(&receiveResults, 0, sizeof receiveResults);
  std::memset(passedOnEarlierPage, 0, sizeof passedOnEarlierPage);
}
