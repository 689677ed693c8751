#include "app/reset_station.h"

#include "app/sequence.h"
#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "audio/stream.h"
#include "config/device_select.h"
#include "config/path_rule.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "midi/note_receive.h"
#include "report/results.h"

void resetStation() {
  setExeFolder("");
  clearDeviceSelection();
  clearSettings();
  clearControlMap();
  clearMidiAnalysis();
  clearNoteReceive();
  clearAsioHost();
  freeLoopSample();
  rewindLoop();
  clearResults();
  resetSequence();
}
