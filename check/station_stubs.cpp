#include "check/station_stubs.h"

#include <cstdint>

#include "config/settings.h"
#include "midi/midi_ports.h"
#include "midi/note_receive.h"
#include "report/report.h"
#include "ui/panel.h"
#include "ui/text_pane.h"
#include "ui/window_ops.h"

bool audioWarningShown = false;

void showAudioWarning() {
  audioWarningShown = true;
}

// Reached only through the sequence's advance, which the checker never calls.
void repaintMainWindow() {}
void setContinueCaption(const char*) {}
void destroyMainWindow() {}
void offerReport() {}
void setMainWindowTitle(const char*) {}
void setTextPaneText(const char*) {}
void drawNoteControl(int) {}
void drawControllerControl(int) {}
void sendMidiShortMessage(uint32_t) {}
uint32_t systemTickCount() {
  return 0;
}
