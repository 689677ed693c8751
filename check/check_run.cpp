#include "check/check_run.h"

#include <cstdio>
#include <set>

#include "app/reset_station.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/settings_schema.h"

namespace {

constexpr size_t kPortNameLength = 31;  // the MIDI service's product names

struct Launcher {
  std::string shown, open;
  IniDocument ini;
  StationFolder folder;
  FindingList* findings;
};

void launcherFinding(Launcher& launcher, Severity severity, const char* check,
                     const std::string& section, const std::string& key, int line,
                     const std::string& message) {
  addFinding(*launcher.findings,
             plainFinding(launcher.shown, line, severity, check, section, key, message));
}

std::string readLauncherValue(const Launcher& launcher, const std::string& section,
                              const std::string& key) {
  char value[kValueCapacity];
  readProfileString(launcher.open.c_str(), section.c_str(), key.c_str(), value, sizeof value);
  return value;
}

void checkProfileKeys(Launcher& launcher, const IniSectionLines& profile) {
  for (size_t i = 0; i < profile.lines.size(); ++i) {
    const IniLine& line = profile.lines[i];
    const std::string key = foldProfileCase(line.key);
    if (!line.hasEquals || (key != kLauncherSettingsKey && key != kLauncherAudioKey)) {
      launcherFinding(launcher, Severity::Warning, "key-unknown", profile.name, line.key, line.line,
                      "key never read: a device profile holds settings and audio");
    } else if (profile.firstOf.at(key) != i) {
      launcherFinding(launcher, Severity::Warning, "key-duplicate", profile.name, line.key,
                      line.line,
                      "set again; the station reads line " +
                          std::to_string(profile.lines[profile.firstOf.at(key)].line) +
                          " and ignores this one");
    }
  }
}

void checkModelOf(Launcher& launcher, const IniSectionLines& profile,
                  std::set<std::string>& checked, const ModelVisitor& visit) {
  checkProfileKeys(launcher, profile);
  const std::string settingsValue = readLauncherValue(launcher, profile.name, kLauncherSettingsKey);
  const std::string audio = readLauncherValue(launcher, profile.name, kLauncherAudioKey);
  if (settingsValue.empty()) {
    launcherFinding(launcher, Severity::Error, "no-settings", profile.name, "", profile.line,
                    "the profile names no settings file: the station finds no bitmaps and "
                    "stops at start-up");
    return;
  }
  const std::string stationPath = settingsStationPath(settingsValue);
  const std::string open = openablePath(stationPath);
  const std::string shown = displayPath(launcher.folder, stationPath);
  if (!isRegularFile(open)) {
    launcherFinding(launcher, Severity::Error, "settings-missing", profile.name,
                    kLauncherSettingsKey, lineOf(launcher.ini, profile.name, kLauncherSettingsKey),
                    shown + " not found: the station finds no bitmaps and stops at start-up");
    return;
  }
  if (!checked.insert(open).second) {
    return;
  }
  ModelCheck model;
  model.folder = launcher.folder;
  model.profile = profile.name;
  model.audioKnown = true;
  model.settingsShown = shown;
  model.settingsOpen = open;
  model.findings = launcher.findings;
  resetStation();
  std::snprintf(asioDriverName, sizeof asioDriverName, "%s", audio.c_str());
  const size_t first = launcher.findings->items.size();
  checkModel(model);
  visit(model, first);
}

void checkLauncher(Launcher& launcher, const ModelVisitor& visit) {
  if (foldProfileCase(baseName(launcher.shown)) != foldProfileCase(kLauncherName)) {
    launcherFinding(
        launcher, Severity::Note, "launcher-name", "", "", 0,
        std::string("the station reads only \"") + kLauncherName + "\" beside its program");
  }
  const std::string markProblem = byteOrderMarkProblem(launcher.ini);
  if (!markProblem.empty()) {
    launcherFinding(launcher, Severity::Warning, "byte-order-mark", launcher.ini.sections[0].name,
                    "", 1, markProblem);
  }
  const IniSectionLines* midi = findSection(launcher.ini, kLauncherPortSection);
  std::set<std::string> used, checked;
  bool anyMatch = false;
  for (size_t i = 0; midi != nullptr && i < midi->lines.size(); ++i) {
    const IniLine& line = midi->lines[i];
    if (midi->firstOf.at(foldProfileCase(line.key)) != i) {
      launcherFinding(
          launcher, Severity::Warning, "key-duplicate", kLauncherPortSection, line.key, line.line,
          "port listed again; the station reads line " +
              std::to_string(midi->lines[midi->firstOf.at(foldProfileCase(line.key))].line));
      continue;
    }
    if (line.key.size() > kPortNameLength) {
      launcherFinding(launcher, Severity::Warning, "port-name-long", kLauncherPortSection, line.key,
                      line.line,
                      "port name has " + std::to_string(line.key.size()) +
                          " characters; ports report at most 31, so it never matches");
    }
    const std::string profileName = readLauncherValue(launcher, kLauncherPortSection, line.key);
    if (profileName.empty()) {
      launcherFinding(launcher, Severity::Warning, "profile-empty", kLauncherPortSection, line.key,
                      line.line,
                      "port maps to no device profile: the station does not count this unit");
      continue;
    }
    anyMatch = true;
    const IniSectionLines* profile = findSection(launcher.ini, profileName);
    if (profile == nullptr) {
      launcherFinding(launcher, Severity::Error, "profile-missing", kLauncherPortSection, line.key,
                      line.line,
                      "device profile [" + profileName +
                          "] does not exist: the station finds no bitmaps and stops at start-up");
      continue;
    }
    if (used.insert(foldProfileCase(profileName)).second) {
      checkModelOf(launcher, *profile, checked, visit);
    }
  }
  if (!anyMatch) {
    launcherFinding(launcher, Severity::Error, "no-midi-section", kLauncherPortSection, "",
                    midi == nullptr ? 0 : midi->line,
                    "no port maps to a device profile: the station never finds a unit");
  }
  for (const IniSectionLines& section : launcher.ini.sections) {
    const std::string name = foldProfileCase(section.name);
    if (anyMatch && name != kLauncherPortSection && !name.empty() && !used.count(name)) {
      launcherFinding(launcher, Severity::Note, "profile-unused", section.name, "", section.line,
                      "no port in [midi] maps to this section");
    }
  }
}

}  // namespace

bool runCheck(const CheckOptions& options, FindingList& findings, const ModelVisitor& visit) {
  const std::string open = absoluteFile(options.path);
  if (!isRegularFile(open)) {
    return false;
  }
  const IniDocument ini = readIniDocument(open);
  if (!ini.readable) {
    return false;
  }
  if (looksLikeLauncher(options.path, ini)) {
    Launcher launcher{shownName(options.path), open, ini,
                      stationFolderOf(options.stationFolder.empty() ? typedFolderOf(options.path)
                                                                    : options.stationFolder),
                      &findings};
    useStationFolder(launcher.folder);
    checkLauncher(launcher, visit);
    return true;
  }
  ModelCheck model;
  model.folder = stationFolderOf(options.stationFolder.empty() ? guessStationFolder(options.path)
                                                               : options.stationFolder);
  model.audioKnown = false;
  model.settingsShown = shownName(options.path);
  model.settingsOpen = open;
  model.findings = &findings;
  // The profile's driver is not known: the audio steps are checked as if it named one.
  resetStation();
  std::snprintf(asioDriverName, sizeof asioDriverName, "%s", "?");
  checkModel(model);
  visit(model, 0);
  return true;
}
