// The settings record and its loading at start-up. The order of the reads is part of the
// program's behaviour (the audio rule acts between the sequence flags and the layout).
#include "config/settings.h"

#include <cstdio>

#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/scan.h"
#include "midi/control_map.h"

Settings settings;

static int readInt(const char* section, const char* key, int defaultValue) {
  return readProfileInt(settingsPath, section, key, defaultValue);
}

// A path value holds 127 characters; exeFolder goes in front within the path buffer.
static void readPath(const char* section, const char* key, char* path) {
  readProfileString(settingsPath, section, key, path, kValueCapacity);
  makeAbsolutePath(path, kPathCapacity);
}

static void readRectangle(const char* key, ControlRect& rect) {
  char value[kValueCapacity];
  readProfileString(settingsPath, "background", key, value, sizeof value);
  scanRectangle(value, rect);
}

static void readSequenceFlags() {
  for (int step = kStepOpening; step < kStepCount; ++step) {
    char key[16];
    snprintf(key, sizeof key, "test%d", stepNumber(step));
    settings.sequenceFlags[step] = readInt("sequence", key, 1);
  }
}

// Without an ASIO driver the audio steps cannot run.
static void applyAudioRule() {
  int32_t* const flags = settings.sequenceFlags;
  if (asioDriverName[0] == '\0' && (flags[kStepAudioOut] != 0 || flags[kStepAudioIn] != 0)) {
    showAudioWarning();
    flags[kStepAudioIn] = 0;
    flags[kStepAudioOut] = 0;
  }
}

static void readLayout() {
  settings.width = readInt("background", "Width", 800);
  settings.height = readInt("background", "Height", 680);
  settings.showmidichannels = readInt("background", "showmidichannels", 0);
  readPath("background", "red_bitmap", settings.redBitmap);
  readPath("background", "green_bitmap", settings.greenBitmap);
  readPath("background", "off_bitmap", settings.offBitmap);
  settings.meterLeft = readInt("background", "Meter_left", 0);
  settings.meterTop = readInt("background", "Meter_top", 0);
  settings.bitmapLeft = readInt("background", "Bitmap_left", 0);
  settings.bitmapTop = readInt("background", "Bitmap_top", 0);
  readPath("background", "meter_on", settings.meterOn);
  readPath("audio", "loop", settings.loopPath);
  readPath("background", "meter_off", settings.meterOff);
  readRectangle("text_window", settings.textWindow);
  readRectangle("video_button", settings.videoButton);
  readRectangle("continue_button", settings.continueButton);
}

// "7" for an any-channel entry, "7:3" (number:channel) for a channel entry.
static void formatControlKey(int index, char* key, size_t capacity) {
  if (index < kAnyChannelCount) {
    snprintf(key, capacity, "%d", anyChannelIndex(index));
  } else {
    snprintf(key, capacity, "%d:%d", numberOfIndex(index), channelOfIndex(index));
  }
}

// One section read for all 2176 keys: a private-profile call per key costs far more than
// the whole section parsed in memory, and gives the same values.
static void readDefinitions(ControlKind kind) {
  const bool notes = kind == ControlKind::Note;
  const IniSection section =
      parseIniSection(readProfileSection(settingsPath, notes ? "notes" : "controllers"));
  for (int index = 0; index < kControlCount; ++index) {
    int16_t& defined = notes ? controlMap.noteDefined[index] : controlMap.controllerDefined[index];
    defined = 0;
    char key[16];
    char value[kValueCapacity];
    formatControlKey(index, key, sizeof key);
    lookupIniValue(section, key, value, sizeof value);
    if (value[0] == '\0') {
      continue;
    }
    if (notes) {
      scanNoteEntry(value, controlMap.noteRect[index], controlMap.receiveFlag[index]);
    } else {
      scanRectangle(value, controlMap.controllerRect[index]);
    }
    defined = 1;
  }
}

void loadSettings() {
  readSequenceFlags();
  applyAudioRule();
  readLayout();
  readDefinitions(ControlKind::Note);
  readDefinitions(ControlKind::Controller);
}
