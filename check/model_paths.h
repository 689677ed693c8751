// Where the station would look for a model's files, and how the checker names them. The
// station joins configured paths to its own folder with a backslash; the checker opens the
// same files on the system it runs on and names them as the user typed the folder.
#ifndef CHECK_MODEL_PATHS_H
#define CHECK_MODEL_PATHS_H

#include <string>

#include "check/ini_document.h"

struct StationFolder {
  std::string display;  // as typed, '/' separators, ending in '/' (empty: current folder)
  std::string full;     // absolute, the system's form with its trailing separator
};

StationFolder stationFolderOf(const std::string& typed);
// The folder part of a typed file path ("demo/Velk Analyser.ini" -> "demo").
std::string typedFolderOf(const std::string& typedFile);

// Sets exeFolder for the station's path rule.
void useStationFolder(const StationFolder& folder);

// A path as the station holds it (exeFolder + value) made openable here: backslashes become
// the native separator where that is '/', and each name is found whatever its letter case,
// as Windows finds it; a path that begins with one backslash starts at the root of the
// station's drive.
std::string openablePath(const std::string& stationPath);
// A path that begins with one backslash: the station opens it at the root of its drive.
bool isRootedPath(const std::string& path);
// The same path as findings name it: the typed folder in place of exeFolder, '/' separators.
std::string displayPath(const StationFolder& folder, const std::string& stationPath);

bool isRegularFile(const std::string& path);
// A typed file path as findings name it ('/' separators) and in absolute form.
std::string shownName(const std::string& typed);
std::string absoluteFile(const std::string& typed);

// The launcher file the station reads beside its program.
constexpr const char* kLauncherName = "Velk Analyser.ini";
std::string baseName(const std::string& path);
// Whether a typed INI file is a launcher file (by its name, or by its [midi] section).
bool looksLikeLauncher(const std::string& typed, const IniDocument& ini);
// The settings file a device profile names, as the station resolves it (exeFolder + value).
std::string settingsStationPath(const std::string& value);
// Without a launcher the station's folder is where "Velk Analyser.ini" stands: beside the
// settings file or one folder up; else the settings file's own folder (typed form).
std::string guessStationFolder(const std::string& typedSettings);

#endif
