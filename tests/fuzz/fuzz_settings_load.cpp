// The settings file: the input is the file, then (after a "%%" line) the ASIO driver name of
// the device profile. After loadSettings the audio rule holds, every path follows the path
// rule within its buffer, and the control map defines exactly the entries whose keys the
// file gives a value, each with the fields a per-key read of that key scans to.
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>

#include "app/reset_station.h"
#include "base/steps.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/scan.h"
#include "config/settings.h"
#include "fuzz_support.h"
#include "midi/control_map.h"
#include "tests/fakes/platform_fake.h"

namespace {

// "7" -> 7, "7:3" -> 3 * 128 + 7: the only keys the load reads.
const std::unordered_map<std::string, int>& controlKeys() {
  static const auto keys = [] {
    std::unordered_map<std::string, int> made;
    for (int number = 0; number < 128; ++number) {
      made[std::to_string(number)] = number;
      for (int channel = 1; channel <= kChannelCount; ++channel) {
        made[std::to_string(number) + ":" + std::to_string(channel)] = channel * 128 + number;
      }
    }
    return made;
  }();
  return keys;
}

bool sameRect(const ControlRect& a, const ControlRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

void checkPath(const char* section, const char* key, const char* loaded) {
  FUZZ_CHECK(memchr(loaded, '\0', kPathCapacity) != nullptr);
  char value[kValueCapacity];
  readProfileString(settingsPath, section, key, value, sizeof value);
  // A drive letter keeps the value as it is; anything else is behind exeFolder.
  const std::string expected =
      value[0] != '\0' && value[1] == ':' ? value : exeFolder + std::string(value);
  FUZZ_CHECK(expected == loaded);
}

void checkDefinitions(ControlKind kind) {
  const bool notes = kind == ControlKind::Note;
  const char* name = notes ? "notes" : "controllers";
  const IniSection section = parseIniSection(readProfileSection(settingsPath, name));
  const int16_t* defined = notes ? controlMap.noteDefined : controlMap.controllerDefined;
  int expectedCount = 0;
  for (const auto& [key, raw] : section.values) {
    const auto found = controlKeys().find(key);
    if (found == controlKeys().end()) {
      continue;
    }
    const int index = found->second;
    char value[kValueCapacity];
    readProfileString(settingsPath, name, key.c_str(), value, sizeof value);
    FUZZ_CHECK(defined[index] == (value[0] != '\0' ? 1 : 0));
    if (value[0] == '\0') {
      continue;
    }
    ++expectedCount;
    ControlRect rect{};
    int32_t receive = 0;
    if (notes) {
      scanNoteEntry(value, rect, receive);
      FUZZ_CHECK(sameRect(rect, controlMap.noteRect[index]));
      FUZZ_CHECK(receive == controlMap.receiveFlag[index]);
    } else {
      scanRectangle(value, rect);
      FUZZ_CHECK(sameRect(rect, controlMap.controllerRect[index]));
    }
  }
  int definedCount = 0;
  for (int i = 0; i < kControlCount; ++i) {
    FUZZ_CHECK(defined[i] == 0 || defined[i] == 1);
    definedCount += defined[i];
    if (defined[i] == 0) {
      // Nothing is stored for an entry the file does not give.
      const ControlRect& rect = notes ? controlMap.noteRect[i] : controlMap.controllerRect[i];
      FUZZ_CHECK(sameRect(rect, ControlRect{}));
      FUZZ_CHECK(!notes || controlMap.receiveFlag[i] == 0);
    }
  }
  FUZZ_CHECK(definedCount == expectedCount);
}

// Every message's lookup lands inside the map.
void checkResolution() {
  for (const ControlKind kind : {ControlKind::Note, ControlKind::Controller}) {
    const int16_t* defined =
        kind == ControlKind::Note ? controlMap.noteDefined : controlMap.controllerDefined;
    for (int nibble = 0; nibble < kChannelCount; ++nibble) {
      for (int number = 0; number < 128; ++number) {
        const int index = resolveControlIndex(kind, nibble, number);
        const int channelEntry = channelIndex(nibble + 1, number);
        FUZZ_CHECK(index >= 0 && index < kControlCount);
        FUZZ_CHECK(index == (defined[channelEntry] != 0 ? channelEntry : number));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 2);
  resetStation();
  resetPlatformFake();
  const std::string path = writeScratchFile("settings.ini", parts[0]);
  std::snprintf(settingsPath, sizeof settingsPath, "%s", path.c_str());
  std::snprintf(exeFolder, sizeof exeFolder, "C:\\Velk Station\\");
  std::snprintf(asioDriverName, kValueCapacity, "%s", parts[1].c_str());
  loadSettings();

  const bool noDriver = asioDriverName[0] == '\0';
  const int warnings = platformFake.audioWarningCount;
  FUZZ_CHECK(warnings == 0 || (warnings == 1 && noDriver));
  if (noDriver) {
    FUZZ_CHECK(settings.sequenceFlags[kStepAudioOut] == 0 &&
               settings.sequenceFlags[kStepAudioIn] == 0);
  }
  for (int step = kStepOpening; step < kStepCount; ++step) {
    const std::string key = "test" + std::to_string(stepNumber(step));
    char value[kValueCapacity];
    readProfileString(settingsPath, "sequence", key.c_str(), value, sizeof value);
    const bool disabledByAudioRule = noDriver && isAudioStep(step);
    if (value[0] == '\0' && !disabledByAudioRule) {
      FUZZ_CHECK(settings.sequenceFlags[step] == 1);
    }
  }
  checkPath("background", "red_bitmap", settings.redBitmap);
  checkPath("background", "green_bitmap", settings.greenBitmap);
  checkPath("background", "off_bitmap", settings.offBitmap);
  checkPath("background", "meter_on", settings.meterOn);
  checkPath("background", "meter_off", settings.meterOff);
  checkPath("audio", "loop", settings.loopPath);
  checkDefinitions(ControlKind::Note);
  checkDefinitions(ControlKind::Controller);
  checkResolution();
  return 0;
}
