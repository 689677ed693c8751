#include "config/settings_schema.h"

#include <cstdio>

#include "base/steps.h"

static constexpr SettingKey integerKey(const char* key, int32_t Settings::*field,
                                       int32_t defaultValue) {
  return {"background", key, SettingKind::Integer, field, nullptr, nullptr, defaultValue};
}

static constexpr SettingKey pathKey(const char* section, const char* key,
                                    char (Settings::*field)[kPathCapacity]) {
  return {section, key, SettingKind::Path, nullptr, field, nullptr, 0};
}

static constexpr SettingKey rectangleKey(const char* key, ControlRect Settings::*field) {
  return {"background", key, SettingKind::Rectangle, nullptr, nullptr, field, 0};
}

const SettingKey kSettingKeys[] = {
    integerKey("Width", &Settings::width, 800),
    integerKey("Height", &Settings::height, 680),
    integerKey("showmidichannels", &Settings::showmidichannels, 0),
    pathKey("background", "red_bitmap", &Settings::redBitmap),
    pathKey("background", "green_bitmap", &Settings::greenBitmap),
    pathKey("background", "off_bitmap", &Settings::offBitmap),
    integerKey("Meter_left", &Settings::meterLeft, 0),
    integerKey("Meter_top", &Settings::meterTop, 0),
    integerKey("Bitmap_left", &Settings::bitmapLeft, 0),
    integerKey("Bitmap_top", &Settings::bitmapTop, 0),
    pathKey("background", "meter_on", &Settings::meterOn),
    pathKey("audio", "loop", &Settings::loopPath),
    pathKey("background", "meter_off", &Settings::meterOff),
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

const SettingKey& settingKeyOf(char (Settings::*path)[kPathCapacity]) {
  for (const SettingKey& key : kSettingKeys) {
    if (key.path == path) {
      return key;
    }
  }
  // Every path field has its key above; the settings record has no other path.
  return kSettingKeys[0];
}
