#include "check/model_paths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "config/ini_section.h"
#include "config/path_rule.h"
#include "config/settings_schema.h"

static std::string withSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
  return path;
}

std::string typedFolderOf(const std::string& typedFile) {
  const size_t slash = withSlashes(typedFile).rfind('/');
  return slash == std::string::npos ? std::string() : typedFile.substr(0, slash + 1);
}

StationFolder stationFolderOf(const std::string& typed) {
  StationFolder folder;
  folder.display = withSlashes(typed);
  if (!folder.display.empty() && folder.display.back() != '/') {
    folder.display += '/';
  }
  if (folder.display == "./") {
    folder.display.clear();
  }
  std::error_code error;
  std::filesystem::path full =
      std::filesystem::absolute(typed.empty() ? std::string(".") : typed, error);
  full = full.lexically_normal();
  full.make_preferred();
  folder.full = full.string();
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (folder.full.empty() || folder.full.back() != separator) {
    folder.full += separator;
  }
  return folder;
}

void useStationFolder(const StationFolder& folder) {
  setExeFolder(folder.full.c_str());
}

// Windows finds a file whatever the letter case of its name and of its folders' names; a
// system that tells case apart is searched part by part for the name that matches without
// regard to it (the first in name order when several do).
static std::string withCaseOnDisk(const std::string& path) {
  std::error_code error;
  if (path.empty() || std::filesystem::exists(path, error)) {
    return path;
  }
  std::string found = path[0] == '/' ? "/" : "";
  size_t start = found.size();
  while (start < path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    std::string candidate = found + part;
    if (!part.empty() && part != "." && part != ".." &&
        !std::filesystem::exists(candidate, error)) {
      const std::string wanted = foldProfileCase(part);
      std::string match;
      std::filesystem::directory_iterator entry(found.empty() ? "." : found, error), last;
      for (; !error && entry != last; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (foldProfileCase(name) == wanted && (match.empty() || name < match)) {
          match = name;
        }
      }
      if (!match.empty()) {
        candidate = found + match;
      }
    }
    found = candidate + (end < path.size() ? "/" : "");
    start = end + 1;
  }
  return found;
}

bool isRootedPath(const std::string& path) {
  return path.size() >= 2 && path[0] == '\\' && path[1] != '\\';
}

std::string openablePath(const std::string& stationPath) {
  if (std::filesystem::path::preferred_separator == '/') {
    // A path that begins with one backslash starts at the root of the station's drive: here
    // the root of the file system.
    return withCaseOnDisk(withSlashes(stationPath));
  }
  if (isRootedPath(stationPath) && exeFolder[0] != '\0' && exeFolder[1] == ':') {
    return std::string(exeFolder, 2) + stationPath;
  }
  return stationPath;
}

std::string displayPath(const StationFolder& folder, const std::string& stationPath) {
  if (stationPath.compare(0, folder.full.size(), folder.full) == 0) {
    return folder.display + withSlashes(stationPath.substr(folder.full.size()));
  }
  return withSlashes(stationPath);
}

bool isRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string shownName(const std::string& typed) {
  return withSlashes(typed);
}

std::string absoluteFile(const std::string& typed) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(typed, error);
  return full.lexically_normal().make_preferred().string();
}

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool looksLikeLauncher(const std::string& typed, const IniDocument& ini) {
  return foldProfileCase(baseName(typed)) == foldProfileCase(kLauncherName) ||
         findSection(ini, kLauncherPortSection) != nullptr;
}

std::string settingsStationPath(const std::string& value) {
  char path[kPathCapacity];
  std::snprintf(path, sizeof path, "%s", value.c_str());
  makeAbsolutePath(path, sizeof path);
  return path;
}

std::string guessStationFolder(const std::string& typedSettings) {
  const std::string own = typedFolderOf(typedSettings);
  const std::string parent =
      own.empty() ? std::string("../") : typedFolderOf(own.substr(0, own.size() - 1));
  for (const std::string& folder : {own, parent}) {
    if (isRegularFile(stationFolderOf(folder).full + kLauncherName)) {
      return folder;
    }
  }
  return own;
}
