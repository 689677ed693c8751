// The settings file's keys, each written once: its section, the kind of its value, the field
// of the settings record it fills and its default. The loader walks this table in its order
// (the order of the reads is part of the station's behaviour); the model checker consults it
// for the keys the station reads and how their values scan.
#ifndef CONFIG_SETTINGS_SCHEMA_H
#define CONFIG_SETTINGS_SCHEMA_H

#include <cstddef>
#include <cstdint>

#include "config/settings.h"

enum class SettingKind { Integer, Path, Rectangle };

struct SettingKey {
  const char* section;
  const char* key;
  SettingKind kind;
  int32_t Settings::*integer;             // Integer: the field, and its default below
  char (Settings::*path)[kPathCapacity];  // Path
  ControlRect Settings::*rectangle;       // Rectangle
  int32_t defaultValue;
};

// The keys of fixed name, in the order the loader reads them.
extern const SettingKey kSettingKeys[];
extern const size_t kSettingKeyCount;

// Every section the station reads: the fixed keys' and the numbered ones'.
constexpr const char* kSequenceSection = "sequence";
constexpr const char* kBackgroundSection = "background";
constexpr const char* kAudioSection = "audio";
constexpr const char* kNotesSection = "notes";
constexpr const char* kControllersSection = "controllers";
constexpr const char* kTextSection = "text";
constexpr const char* kVideoSection = "video";
constexpr const char* kSettingSections[] = {kSequenceSection, kBackgroundSection,  kAudioSection,
                                            kNotesSection,    kControllersSection, kTextSection,
                                            kVideoSection};

// The section of a note's or a controller's entry.
constexpr const char* controlSection(bool note) {
  return note ? kNotesSection : kControllersSection;
}

// The key of a control index in its section: "7" for an any-channel entry, number:channel
// ("7:1") for the others.
void controlEntryKey(int index, char* out, size_t capacity);

// The launcher file beside the executable: [midi] maps port names to device profiles, and a
// profile's section names the settings file and the ASIO driver.
constexpr const char* kLauncherPortSection = "midi";
constexpr const char* kLauncherSettingsKey = "settings";
constexpr const char* kLauncherAudioKey = "audio";

// Numbered keys name a step by its number and, for pages and channel pairs, a second number
// from 1: "test3" (stem "test"), "text3_2", "video6_1". The stems:
constexpr const char* kSequenceStem = "test";
constexpr const char* kPageStem = "text";
constexpr const char* kVideoStem = "video";
// A step has at most this many [text] pages ("text3_1" .. "text3_16").
constexpr int kMaxPages = 16;

// The key of step position step, and of its page or pair (0-based; -1: the step's own key)
// into out (capacity bytes, always terminated).
void numberedKey(const char* stem, int step, int second, char* out, size_t capacity);

// The fixed key that fills a field, for the checks and messages that name it.
const SettingKey& settingKeyOf(char (Settings::*path)[kPathCapacity]);
const SettingKey& settingKeyOf(int32_t Settings::*integer);
const SettingKey& settingKeyOf(ControlRect Settings::*rectangle);

#endif
