#include "check/model_paths.h"

#include <cstdio>
#include <filesystem>

#include "config/path_rule.h"

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
  std::snprintf(exeFolder, sizeof exeFolder, "%s", folder.full.c_str());
}

std::string openablePath(const std::string& stationPath) {
  if (std::filesystem::path::preferred_separator == '/') {
    return withSlashes(stationPath);
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
