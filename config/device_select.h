// Finding the one connected unit and its device profile in the launcher file.
#ifndef CONFIG_DEVICE_SELECT_H
#define CONFIG_DEVICE_SELECT_H

#include "config/path_rule.h"

extern char selectedPortName[kPathCapacity];
extern char settingsPath[kPathCapacity];
extern char asioDriverName[kPathCapacity];

// Asks the operator until exactly one unit matches the launcher file; false: cancelled.
bool selectDevice();
// Back to the program-start state, no unit selected (for resetStation).
void clearDeviceSelection();

#endif
