#include "fakes/platform_fakes.h"

#include <cstdio>

#include "midi/midi_ports.h"
#include "midi/note_receive.h"
#include "report/report.h"
#include "ui/panel.h"
#include "ui/text_pane.h"
#include "ui/window_ops.h"

PlatformFakes platformFakes;

// Relaxed counting only: the fakes must not order the threads of a stress test, or they
// would hide the very races the thread sanitizer is looking for.
static void count(std::atomic<int>& counter) {
  counter.fetch_add(1, std::memory_order_relaxed);
}

static bool recording() {
  return platformFakes.recordDetails.load(std::memory_order_relaxed);
}

static void record(const std::string& call) {
  if (recording()) {
    platformFakes.calls.push_back(call);
  }
}

void resetPlatformFakes() {
  platformFakes.calls.clear();
  platformFakes.paneTexts.clear();
  platformFakes.sentMidi.clear();
  platformFakes.recordDetails = true;
  platformFakes.paneTextCount = 0;
  platformFakes.drawCount = 0;
  platformFakes.reportCount = 0;
  platformFakes.tickCount = 0;
}

int countCalls(const std::string& prefix) {
  int count = 0;
  for (const auto& call : platformFakes.calls) {
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
  record(std::string("title ") + title);
}

void setTextPaneText(const char* text) {
  count(platformFakes.paneTextCount);
  if (recording()) {
    platformFakes.paneTexts.push_back(text);
  }
  record("text");
}

void drawNoteControl(int index) {
  count(platformFakes.drawCount);
  if (recording()) {
    record("drawNote " + std::to_string(index));
  }
}

void drawControllerControl(int index) {
  count(platformFakes.drawCount);
  if (recording()) {
    record("drawController " + std::to_string(index));
  }
}

void sendMidiShortMessage(uint32_t word) {
  if (recording()) {
    platformFakes.sentMidi.push_back(word);
  }
  char call[32];
  std::snprintf(call, sizeof call, "midi 0x%08X", static_cast<unsigned>(word));
  record(call);
}

uint32_t systemTickCount() {
  return platformFakes.tickCount.load(std::memory_order_relaxed);
}

void offerReport() {
  count(platformFakes.reportCount);
  record("report");
}
