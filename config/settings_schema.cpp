#include "config/settings_schema.h"

#include <cstdio>

#include "base/steps.h"
#include "midi/control_map.h"

static constexpr SettingKey integerKey(const char* key, int32_t Settings::*field,
                                       int32_t defaultValue) {
  return {kBackgroundSection, key, SettingKind::Integer, field, nullptr, nullptr, defaultValue};
}

static constexpr SettingKey pathKey(const char* section, const char* key,
                                    char (Settings::*field)[kPathCapacity]) {
  return {section, key, SettingKind::Path, nullptr, field, nullptr, 0};
}

static constexpr SettingKey rectangleKey(const char* key, ControlRect Settings::*field) {
  return {kBackgroundSection, key, SettingKind::Rectangle, nullptr, nullptr, field, 0};
}

const SettingKey kSettingKeys[] = {
    integerKey("Width", &Settings::width, 800),
    integerKey("Height", &Settings::height, 680),
    integerKey("showmidichannels", &Settings::showmidichannels, 0),
    pathKey(kBackgroundSection, "red_bitmap", &Settings::redBitmap),
    pathKey(kBackgroundSection, "green_bitmap", &Settings::greenBitmap),
    pathKey(kBackgroundSection, "off_bitmap", &Settings::offBitmap),
    integerKey("Meter_left", &Settings::meterLeft, 0),
    integerKey("Meter_top", &Settings::meterTop, 0),
    integerKey("Bitmap_left", &Settings::bitmapLeft, 0),
    integerKey("Bitmap_top", &Settings::bitmapTop, 0),
    pathKey(kBackgroundSection, "meter_on", &Settings::meterOn),
    pathKey(kAudioSection, "loop", &Settings::loopPath),
    pathKey(kBackgroundSection, "meter_off", &Settings::meterOff),
    rectangleKey("text_window", &Settings::textWindow),
    rectangleKey("video_button", &Settings::videoButton),
    rectangleKey("continue_button", &Settings::continueButton),
};
const size_t kSettingKeyCount = sizeof kSettingKeys / sizeof kSettingKeys[0];

void numberedKey(const char* stem, int step, int second, char* out, size_t capacity) {
  if (second < 0) {
    std::snprintf(out, capacity, "%s%d", stem, stepNumber(step));
  } else {
    std::snprintf(out, capacity, "%s%d_%d", stem, stepNumber(step), second + 1);
  }
}

void controlEntryKey(int index, char* out, size_t capacity) {
  if (index < kAnyChannelCount) {
    std::snprintf(out, capacity, "%d", anyChannelIndex(index));
  } else {
    std::snprintf(out, capacity, "%d:%d", numberOfIndex(index), channelOfIndex(index));
  }
}

// Every field of the settings record that a fixed key fills has its key above.
template <typename Field>
static const SettingKey& keyFilling(Field SettingKey::*member, Field field) {
  for (const SettingKey& key : kSettingKeys) {
    if (key.*member == field) {
      return key;
    }
  }
  return kSettingKeys[0];
}

const SettingKey& settingKeyOf(char (Settings::*path)[kPathCapacity]) {
  return keyFilling(&SettingKey::path, path);
}

const SettingKey& settingKeyOf(int32_t Settings::*integer) {
  return keyFilling(&SettingKey::integer, integer);
}

const SettingKey& settingKeyOf(ControlRect Settings::*rectangle) {
  return keyFilling(&SettingKey::rectangle, rectangle);
}
