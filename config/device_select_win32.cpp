#include "config/device_select.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/message_box.h"
#include "base/program_facts.h"
#include "config/profile.h"
#include "config/settings.h"
#include "config/settings_schema.h"
#include "midi/midi_ports.h"

static const char kNoDeviceText[] =
    "No Velk devices are currently active on your system.\r\n\r\nPlease check that your Velk "
    "device is connected and powered on, then press OK to continue.";
static const char kSeveralDevicesText[] =
    "More than one Velk device is currently active on your system.\r\n\r\nPlease check that "
    "the Velk device you want to test is the only one\r\nconnected and powered on, then press "
    "OK to continue.";

// Looks every MIDI input port up in [midi]; returns how many have a device profile, and the
// name and profile of the last one found.
static int matchConnectedUnits(const char* launcherPath, char* profile) {
  int matches = 0;
  const int count = midiInputPortCount();
  for (int port = 0; port < count; ++port) {
    char name[kPortNameCapacity];
    if (!readMidiInputName(port, name)) {
      continue;
    }
    char value[kValueCapacity];
    readProfileString(launcherPath, kLauncherPortSection, name, value, sizeof(value));
    if (value[0]) {
      snprintf(selectedPortName, sizeof(selectedPortName), "%s", name);
      strcpy(profile, value);
      ++matches;
    }
  }
  return matches;
}

bool selectDevice() {
  char launcherPath[kPathCapacity];
  snprintf(launcherPath, sizeof(launcherPath), "%s%s.ini", exeFolder, kProgramName);
  char profile[kValueCapacity] = "";
  for (;;) {
    int matches = matchConnectedUnits(launcherPath, profile);
    if (matches == 1) {
      break;
    }
    const char* text = matches == 0 ? kNoDeviceText : kSeveralDevicesText;
    if (showMessage(text, kProgramName, MB_ICONINFORMATION | MB_OKCANCEL) == IDCANCEL) {
      return false;
    }
  }
  readProfileString(launcherPath, profile, kLauncherSettingsKey, settingsPath, kValueCapacity);
  readProfileString(launcherPath, profile, kLauncherAudioKey, asioDriverName, kValueCapacity);
  makeAbsolutePath(settingsPath, sizeof(settingsPath));
  return true;
}
