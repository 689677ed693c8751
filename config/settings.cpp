// The settings record and its loading at start-up. The order of the reads is part of the
// program's behaviour (the audio rule acts between the sequence flags and the layout).
#include "config/settings.h"

#include <cstdio>

#include "base/platform_hooks.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/scan.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

Settings settings;

static void readSequenceFlags() {
  for (int step = kStepOpening; step < kStepCount; ++step) {
    char key[16];
    numberedKey(kSequenceStem, step, -1, key, sizeof key);
    settings.sequenceFlags[step] = readProfileInt(settingsPath, kSequenceSection, key, 1);
  }
}

// A path value holds 127 characters; exeFolder goes in front within the path buffer.
static void readSetting(const SettingKey& entry) {
  switch (entry.kind) {
    case SettingKind::Integer:
      settings.*entry.integer =
          readProfileInt(settingsPath, entry.section, entry.key, entry.defaultValue);
      return;
    case SettingKind::Path: {
      char* path = settings.*entry.path;
      readProfileString(settingsPath, entry.section, entry.key, path, kValueCapacity);
      makeAbsolutePath(path, kPathCapacity);
      return;
    }
    case SettingKind::Rectangle: {
      char value[kValueCapacity];
      readProfileString(settingsPath, entry.section, entry.key, value, sizeof value);
      scanRectangle(value, settings.*entry.rectangle);
      return;
    }
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
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    readSetting(kSettingKeys[i]);
  }
}

// One section read for all 2176 keys: a private-profile call per key costs far more than
// the whole section parsed in memory, and gives the same values.
static void readDefinitions(ControlKind kind) {
  const bool notes = kind == ControlKind::Note;
  const IniSection section =
      parseIniSection(readProfileSection(settingsPath, controlSection(notes)));
  for (int index = 0; index < kControlCount; ++index) {
    int16_t& defined = notes ? controlMap.noteDefined[index] : controlMap.controllerDefined[index];
    defined = 0;
    char key[16];
    char value[kValueCapacity];
    controlEntryKey(index, key, sizeof key);
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

void clearSettings() {
  settings = Settings{};
}
