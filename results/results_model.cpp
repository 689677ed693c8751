#include "results/results_model.h"

#include <cstdio>

#include "app/reset_station.h"
#include "check/ini_document.h"
#include "check/model_paths.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/settings.h"
#include "config/settings_schema.h"

static std::string launcherValue(const std::string& launcher, const std::string& section,
                                 const char* key) {
  char value[kValueCapacity];
  readProfileString(launcher.c_str(), section.c_str(), key, value, sizeof value);
  return value;
}

// The device profiles the launcher's [midi] section maps, each once, in file order.
static std::vector<std::string> mappedProfiles(const std::string& launcher,
                                               const IniDocument& ini) {
  std::vector<std::string> profiles;
  const IniSectionLines* midi = findSection(ini, kLauncherPortSection);
  for (size_t i = 0; midi != nullptr && i < midi->lines.size(); ++i) {
    const std::string profile =
        launcherValue(launcher, kLauncherPortSection, midi->lines[i].key.c_str());
    bool seen = profile.empty();
    for (const std::string& known : profiles) {
      seen = seen || foldProfileCase(known) == foldProfileCase(profile);
    }
    if (!seen) {
      profiles.push_back(profile);
    }
  }
  return profiles;
}

// The settings file of the launcher's profile, as the station would open it.
static bool settingsOfProfile(const ModelRequest& request, const std::string& open,
                              const IniDocument& ini, ResultsModel& model, std::string& why) {
  useStationFolder(stationFolderOf(request.stationFolder.empty() ? typedFolderOf(request.path)
                                                                 : request.stationFolder));
  std::string profile = request.profile;
  if (profile.empty()) {
    const std::vector<std::string> profiles = mappedProfiles(open, ini);
    if (profiles.size() != 1) {
      why = "the launcher file maps " + std::to_string(profiles.size()) +
            " device profiles; name one with --model PROFILE";
      for (size_t i = 0; i < profiles.size(); ++i) {
        why += (i == 0 ? ": " : ", ") + profiles[i];
      }
      return false;
    }
    profile = profiles[0];
  }
  if (findSection(ini, profile) == nullptr) {
    why = "the launcher file has no device profile [" + profile + "]";
    return false;
  }
  const std::string value = launcherValue(open, profile, kLauncherSettingsKey);
  if (value.empty()) {
    why = "device profile [" + profile + "] names no settings file";
    return false;
  }
  const std::string stationPath = settingsStationPath(value);
  std::snprintf(settingsPath, sizeof settingsPath, "%s", openablePath(stationPath).c_str());
  std::snprintf(asioDriverName, sizeof asioDriverName, "%s",
                launcherValue(open, profile, kLauncherAudioKey).c_str());
  model.profile = profile;
  model.settingsShown =
      displayPath(stationFolderOf(request.stationFolder.empty() ? typedFolderOf(request.path)
                                                                : request.stationFolder),
                  stationPath);
  return true;
}

static void fillStep(ModelStep& step, const ReportTestSection& section, const char* csvName) {
  step.section = section;
  step.csvName = csvName;
  step.takesPart.assign(kControlCount, 0);
  step.rects.assign(kControlCount, ControlRect{});
  const bool note = section.step != kStepControllerTest;
  for (int i = 0; i < kControlCount; ++i) {
    const bool defined = (note ? controlMap.noteDefined[i] : controlMap.controllerDefined[i]) != 0;
    const bool led = section.step != kStepNoteRxTest || controlMap.receiveFlag[i] != 0;
    if (defined && led) {
      step.takesPart[i] = 1;
      step.controls.push_back(static_cast<uint16_t>(i));
      step.rects[i] = note ? controlMap.noteRect[i] : controlMap.controllerRect[i];
    }
  }
}

bool loadResultsModel(const ModelRequest& request, ResultsModel& model, std::string& why) {
  const std::string open = absoluteFile(request.path);
  if (!isRegularFile(open)) {
    why = "cannot read " + request.path;
    return false;
  }
  const IniDocument ini = readIniDocument(open);
  if (!ini.readable) {
    why = "cannot read " + request.path;
    return false;
  }
  resetStation();
  if (looksLikeLauncher(request.path, ini)) {
    if (!settingsOfProfile(request, open, ini, model, why)) {
      return false;
    }
  } else if (!request.profile.empty()) {
    why = "--model names a device profile of the launcher file; " + request.path +
          " is a settings file";
    return false;
  } else {
    useStationFolder(stationFolderOf(
        request.stationFolder.empty() ? guessStationFolder(request.path) : request.stationFolder));
    std::snprintf(settingsPath, sizeof settingsPath, "%s", open.c_str());
    asioDriverName[0] = '\0';  // the audio steps do not matter to the MIDI results
    model.settingsShown = shownName(request.path);
  }
  if (!isRegularFile(settingsPath)) {
    why = "settings file " + model.settingsShown + " not found";
    return false;
  }
  loadSettings();
  // The CSV files' names: not a settings key.
  static const char* kCsvNames[kReportTestSectionCount] = {"notes", "controllers", "leds"};
  size_t controls = 0;
  for (int s = 0; s < kReportTestSectionCount; ++s) {
    fillStep(model.steps[s], kReportTestSections[s], kCsvNames[s]);
    controls += model.steps[s].controls.size();
  }
  if (controls == 0) {
    why = model.settingsShown + " defines no notes and no controllers: no model's settings file";
    return false;
  }
  model.panel = readBmpFile(openablePath(settings.offBitmap));
  return true;
}
