#include "fuzz_fakes.h"

#include <cstring>

#include "config/settings.h"
#include "fuzz_support.h"
#include "midi/control_map.h"
#include "midi/midi_ports.h"
#include "midi/note_receive.h"
#include "report/report.h"
#include "ui/panel.h"
#include "ui/text_pane.h"
#include "ui/window_ops.h"

FuzzFakes fuzzFakes;

void resetFuzzFakes() {
  fuzzFakes = FuzzFakes{};
}

void showAudioWarning() {
  ++fuzzFakes.audioWarnings;
}

void repaintMainWindow() {}
void setContinueCaption(const char*) {}
void destroyMainWindow() {}
void offerReport() {}
void sendMidiShortMessage(uint32_t) {}

uint32_t systemTickCount() {
  return fuzzFakes.tickCount;
}

void setMainWindowTitle(const char* title) {
  FUZZ_CHECK(std::strlen(title) < kTitleCapacity);
  ++fuzzFakes.titles;
  fuzzFakes.lastTitle = title;
}

void setTextPaneText(const char* text) {
  FUZZ_CHECK(std::strlen(text) < kPaneTextCapacity);
  ++fuzzFakes.paneTexts;
  fuzzFakes.lastPaneText = text;
}

// A control is drawn the moment it passes: its tested flag is already set.
void drawNoteControl(int index) {
  FUZZ_CHECK(index >= 0 && index < kControlCount);
  FUZZ_CHECK(controlMap.noteTested[index].get() == 1);
  ++fuzzFakes.draws;
}

void drawControllerControl(int index) {
  FUZZ_CHECK(index >= 0 && index < kControlCount);
  FUZZ_CHECK(controlMap.controllerTested[index].get() == 1);
  ++fuzzFakes.draws;
}
