// The model's settings file: which steps run, layout, bitmap and loop paths, and (through
// the control map) every control's rectangle and MIDI address.
#ifndef CONFIG_SETTINGS_H
#define CONFIG_SETTINGS_H

#include <cstdint>

#include "base/rectangle.h"
#include "base/steps.h"
#include "config/path_rule.h"

constexpr size_t kValueCapacity = 128;  // INI values hold at most 127 characters

struct Settings {
  int32_t sequenceFlags[kStepCount];  // nonzero: step n + 1 runs
  int32_t width, height;
  int32_t showmidichannels;
  char redBitmap[kPathCapacity];
  char greenBitmap[kPathCapacity];
  char offBitmap[kPathCapacity];
  char meterOn[kPathCapacity];
  char meterOff[kPathCapacity];
  char loopPath[kPathCapacity];
  int32_t meterLeft, meterTop, bitmapLeft, bitmapTop;
  ControlRect textWindow, videoButton, continueButton;
};

extern Settings settings;

// Reads settingsPath (and asioDriverName for the audio rule) into settings and the
// control map's definitions. Cannot fail; a missing file gives the defaults.
void loadSettings();
// Back to the program-start state, nothing loaded (for resetStation).
void clearSettings();

#endif
