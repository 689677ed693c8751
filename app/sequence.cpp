#include "app/sequence.h"

#include "audio/asio_host.h"
#include "base/platform_hooks.h"
#include "config/page_keys.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "report/results.h"

int pageCount() {
  const int step = currentStep.get();
  int pages = 0;
  char value[kValueCapacity];
  while (pages < kMaxPages) {
    readPageValue(step, pages, value, sizeof value);
    if (value[0] == '\0') {
      break;
    }
    ++pages;
  }
  return pages;
}

int channelPrefix(int page) {
  char value[kValueCapacity];
  readPageValue(currentStep.get(), page, value, sizeof value);
  const int number = pagePrefixNumber(value);
  return number >= 1 && number <= kChannelCount ? number - 1 : -1;
}

void setChannelFilter(bool usePages) {
  const int step = currentStep.get();
  if (!isMidiTestStep(step)) {
    usePages = false;
  }
  enableAllChannels();
  if (!usePages) {
    return;
  }
  const int page = currentPage.get();
  const int channel = channelPrefix(page);
  if (channel >= 0) {
    selectOnlyChannel(channel);
    return;
  }
  // A page without a channel of its own tests every channel that no other page of the step
  // claims, and the any-channel entries with them.
  const int pages = pageCount();
  for (int other = -1; other < pages; ++other) {
    if (other == page) {
      continue;
    }
    const int claimed = channelPrefix(other);
    if (claimed >= 0) {
      releaseChannel(claimed);
    }
  }
}

static bool untestedControlLeft(const int16_t* defined, const Shared<int16_t>* tested,
                                const int32_t* receiveFlag) {
  for (int i = 0; i < kControlCount; ++i) {
    if (isControlEnabled(i) && defined[i] != 0 && tested[i].get() == 0 &&
        (receiveFlag == nullptr || receiveFlag[i] != 0)) {
      return true;
    }
  }
  return false;
}

void checkAutoAdvance() {
  bool left = false;
  switch (currentStep.get()) {
    case kStepNoteTest:
      left = untestedControlLeft(controlMap.noteDefined, controlMap.noteTested, nullptr);
      break;
    case kStepControllerTest:
      left =
          untestedControlLeft(controlMap.controllerDefined, controlMap.controllerTested, nullptr);
      break;
    case kStepNoteRxTest:
      left = untestedControlLeft(controlMap.noteDefined, controlMap.noteTested,
                                 controlMap.receiveFlag);
      break;
    default:
      return;
  }
  if (!left) {
    advanceToNextPage();
  }
}

static const char* continueCaption(int step) {
  return step == kStepMidiLink || step >= kStepAudioOut ? "Continue..." : "Skip Test...";
}

// The last channel pair of an audio step, or -1 when the step has no pairs to walk.
static int lastPair(int step) {
  if (step == kStepAudioOut) {
    return asioFacts.outputCount.get() / 2 - 1;
  }
  if (step == kStepAudioIn) {
    return asioFacts.inputCount.get() / 2 - 1;
  }
  return -1;
}

static int nextEnabledStep(int step) {
  int next = step + 1;
  while (next < kFinishedStep && settings.sequenceFlags[next] == 0) {
    ++next;
  }
  return next;
}

static void advance(bool forced) {
  // A command still queued when the run finished must not move past the end.
  if (currentStep.get() >= kFinishedStep) {
    return;
  }
  if (!forced && currentPage.get() + 1 < pageCount()) {
    // Passes of this page go into the step's results before the page tables are cleared.
    collectPageResults(currentStep.get());
    resetPageTables();
    currentPage.set(currentPage.get() + 1);
    setChannelFilter(true);
    refreshTextPane();
    repaintMainWindow();
    return;
  }
  const int step = currentStep.get();
  snapshotResults(step);
  resetPageTables();
  if (currentPair.get() < lastPair(step)) {
    currentPair.set(currentPair.get() + 1);
    setChannelFilter(false);
    refreshTextPane();
    return;
  }
  currentPair.set(0);
  currentPage.set(-1);
  const int next = nextEnabledStep(step);
  currentStep.set(next);
  if (next == kFinishedStep) {
    repaintMainWindow();
    offerReport();
    destroyMainWindow();
    return;
  }
  setChannelFilter(true);
  refreshTextPane();
  setContinueCaption(continueCaption(next));
  repaintMainWindow();
}

void advanceByOperator() {
  advance(true);
}

void advanceToNextPage() {
  advance(false);
}

void resetSequence() {
  currentStep.set(kStepOpening);
  currentPage.set(0);
  currentPair.set(0);
}
