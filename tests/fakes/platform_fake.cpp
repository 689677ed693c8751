#include "tests/fakes/platform_fake.h"

#include <cstdio>
#include <cstring>

#include "base/platform_hooks.h"
#include "midi/control_map.h"
#include "ui/text_pane.h"

PlatformFake platformFake;
void (*platformFakeViolation)(const char* what) = nullptr;

// Relaxed counting only: the fake must not order the threads of a stress test, or it would
// hide the very races the thread sanitizer is looking for.
static void count(std::atomic<int>& counter) {
  counter.fetch_add(1, std::memory_order_relaxed);
}

static bool recording() {
  return platformFake.recordDetails.load(std::memory_order_relaxed);
}

static void record(const std::string& call) {
  if (recording()) {
    platformFake.calls.push_back(call);
  }
}

static void expect(bool holds, const char* what) {
  if (!holds) {
    count(platformFake.violationCount);
    if (platformFakeViolation) {
      platformFakeViolation(what);
    }
  }
}

static void expectPassed(const Shared<int16_t>* tested, int index, const char* what) {
  const bool inMap = index >= 0 && index < kControlCount;
  expect(inMap, "a drawn control's index lies inside the control map");
  if (inMap) {
    expect(tested[index].get() == 1, what);
  }
}

void resetPlatformFake() {
  platformFake.calls.clear();
  platformFake.paneTexts.clear();
  platformFake.titles.clear();
  platformFake.sentMidi.clear();
  platformFake.recordDetails = true;
  platformFake.paneTextCount = 0;
  platformFake.titleCount = 0;
  platformFake.drawCount = 0;
  platformFake.reportCount = 0;
  platformFake.audioWarningCount = 0;
  platformFake.tickCount = 0;
  platformFake.violationCount = 0;
}

int countCalls(const std::string& prefix) {
  int count = 0;
  for (const auto& call : platformFake.calls) {
    count += call.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  }
  return count;
}

void repaintMainWindow() {
  record("repaint");
}
void setContinueCaption(const char* caption) {
  record(std::string("caption ") + caption);
}
void destroyMainWindow() {
  record("destroy");
}

void setMainWindowTitle(const char* title) {
  expect(std::strlen(title) < kTitleCapacity, "a title fits the title's buffer");
  count(platformFake.titleCount);
  if (recording()) {
    platformFake.titles.push_back(title);
  }
  record(std::string("title ") + title);
}

void setTextPaneText(const char* text) {
  expect(std::strlen(text) < kPaneTextCapacity, "a pane text fits the pane's buffer");
  count(platformFake.paneTextCount);
  if (recording()) {
    platformFake.paneTexts.push_back(text);
  }
  record("text");
}

// A control is drawn the moment it passes: its tested flag is already set.
void drawNoteControl(int index) {
  expectPassed(controlMap.noteTested, index, "a drawn note has passed");
  count(platformFake.drawCount);
  if (recording()) {
    record("drawNote " + std::to_string(index));
  }
}

void drawControllerControl(int index) {
  expectPassed(controlMap.controllerTested, index, "a drawn controller has passed");
  count(platformFake.drawCount);
  if (recording()) {
    record("drawController " + std::to_string(index));
  }
}

void sendMidiShortMessage(uint32_t word) {
  if (recording()) {
    platformFake.sentMidi.push_back(word);
  }
  char call[32];
  std::snprintf(call, sizeof call, "midi 0x%08X", static_cast<unsigned>(word));
  record(call);
}

uint32_t systemTickCount() {
  return platformFake.tickCount.load(std::memory_order_relaxed);
}

void showAudioWarning() {
  count(platformFake.audioWarningCount);
}

void offerReport() {
  count(platformFake.reportCount);
  record("report");
}
