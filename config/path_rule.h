// How configured paths become absolute: anything that does not start with a drive letter
// is taken relative to the executable's folder.
#ifndef CONFIG_PATH_RULE_H
#define CONFIG_PATH_RULE_H

#include <cstddef>

constexpr size_t kPathCapacity = 256;  // 255 characters and the terminator

// The executable's folder with its trailing backslash. Written only by the two functions
// below: once at the station's start-up, or by the model checker for the folder it checks.
extern char exeFolder[kPathCapacity];

// The station's start-up: the folder of the running executable (path_rule_win32.cpp).
void findExeFolder();
// Any other folder, as given (kept within kPathCapacity - 1 characters).
void setExeFolder(const char* folder);

enum class PathForm {
  Basic,     // "X:..." stays; anything else gets exeFolder in front
  Extended,  // also "\..." and "xxxx:..." (a URL-like scheme) stay as they are
};

// Rewrites path in place within capacity bytes. A joined path that would not fit is cut
// at capacity - 1 characters; the result is then false.
bool makeAbsolutePath(char* path, size_t capacity, PathForm form = PathForm::Basic);

#endif
