// Results of device selection; portable so that the settings load and its tests can use
// them without the Windows MIDI enumeration.
#include "config/device_select.h"

char selectedPortName[kPathCapacity];
char settingsPath[kPathCapacity];
char asioDriverName[kPathCapacity];

void clearDeviceSelection() {
  selectedPortName[0] = '\0';
  settingsPath[0] = '\0';
  asioDriverName[0] = '\0';
}
