#include "config/path_rule.h"

#include <algorithm>
#include <cstring>

char exeFolder[kPathCapacity];

void setExeFolder(const char* folder) {
  const size_t length = std::min(std::strlen(folder), kPathCapacity - 1);
  std::memcpy(exeFolder, folder, length);
  exeFolder[length] = '\0';
}

// A drive letter ("C:...") always stays; the extended form also keeps rooted paths
// ("\...") and scheme-like values ("http:...", whose fifth character is ':').
static bool isKeptAsItIs(const char* path, size_t length, PathForm form) {
  if (length >= 2 && path[1] == ':') {
    return true;
  }
  if (form == PathForm::Basic) {
    return false;
  }
  return (length >= 1 && path[0] == '\\') || (length >= 5 && path[4] == ':');
}

bool makeAbsolutePath(char* path, size_t capacity, PathForm form) {
  if (capacity == 0) {
    return false;
  }
  // A path that is not terminated within its buffer is taken as filling it.
  const void* end = memchr(path, '\0', capacity);
  const size_t pathLength = end ? static_cast<const char*>(end) - path : capacity - 1;
  path[pathLength] = '\0';
  if (isKeptAsItIs(path, pathLength, form)) {
    return true;
  }

  const size_t folderLength = strlen(exeFolder);
  const size_t folderKept = std::min(folderLength, capacity - 1);
  const size_t pathKept = std::min(pathLength, capacity - 1 - folderKept);
  memmove(path + folderKept, path, pathKept);
  memcpy(path, exeFolder, folderKept);
  path[folderKept + pathKept] = '\0';
  return folderKept + pathKept == folderLength + pathLength;
}
