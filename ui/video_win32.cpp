#include "ui/video_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "base/registry_win32.h"
#include "config/path_rule.h"
#include "config/video_keys.h"
#include "ui/video_command.h"

static void launchWithRegisteredPlayer(const char* path);

void showVideoInstructions(int step, int pair) {
  char path[kPathCapacity];
  if (!readVideoPath(step, pair, path)) {
    return;
  }
  // A path cut short by its buffer could name another file: such a video starts nothing.
  if (makeAbsolutePath(path, sizeof(path), PathForm::Extended)) {
    launchWithRegisteredPlayer(path);
  }
}

// The unnamed value of HKEY_CLASSES_ROOT\subKey; false when the key or value is missing.
static bool readClassesDefault(const char* subKey, char* out, DWORD capacity) {
  RegistryKey key(HKEY_CLASSES_ROOT, subKey);
  return key.open() && readRegistryString(key.key, nullptr, out, capacity);
}

// The players a stock system registers name themselves through an environment reference
// ("%ProgramFiles%\...\player.exe" /Open "%L") in an expandable string: expanded first, the
// first '%' left is the player's placeholder. False when the expansion does not fit.
static bool expandEnvironmentReferences(char* text, DWORD capacity) {
  char expanded[kCommandLineCapacity];
  DWORD needed = ExpandEnvironmentStringsA(text, expanded, sizeof(expanded));
  if (needed == 0 || needed > sizeof(expanded) || needed > capacity) {
    return false;
  }
  memcpy(text, expanded, needed);
  text[needed - 1] = '\0';
  return true;
}

// The Play command's template, else the Open command's. Only an expandable string is
// expanded: a plain string stays as it is, even when it holds a '%' pair.
static bool findPlayerCommand(const char* fileType, char* out, DWORD capacity) {
  char subKey[300];
  for (const char* verb : {"Play", "Open"}) {
    snprintf(subKey, sizeof(subKey), "%s\\Shell\\%s\\Command", fileType, verb);
    RegistryKey key(HKEY_CLASSES_ROOT, subKey);
    if (key.open()) {
      DWORD type = REG_NONE;
      return readRegistryString(key.key, nullptr, out, capacity, &type) &&
             (type != REG_EXPAND_SZ || expandEnvironmentReferences(out, capacity));
    }
  }
  return false;
}

// The handles CreateProcess gives of the player it started, closed when they go out of scope:
// the station never waits on a player.
struct StartedProcess {
  PROCESS_INFORMATION handles = {};
  StartedProcess() = default;
  ~StartedProcess() {
    if (handles.hThread) {
      CloseHandle(handles.hThread);
    }
    if (handles.hProcess) {
      CloseHandle(handles.hProcess);
    }
  }
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;
};

// A video whose type has no player registered, or whose command would not fit, starts
// nothing, as does a player that cannot be started.
static void launchWithRegisteredPlayer(const char* path) {
  char extension[kExtensionCapacity];
  char fileType[256];
  char commandTemplate[256];
  char commandLine[kCommandLineCapacity];
  if (!videoExtension(path, extension, sizeof(extension)) ||
      !readClassesDefault(extension, fileType, sizeof(fileType)) ||
      !findPlayerCommand(fileType, commandTemplate, sizeof(commandTemplate)) ||
      !composePlayerCommand(commandTemplate, path, commandLine, sizeof(commandLine))) {
    return;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  StartedProcess player;
  CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                 nullptr, &startup, &player.handles);
}
