#include "config/video_keys.h"

#include "base/steps.h"
#include "config/device_select.h"
#include "config/profile.h"
#include "config/settings.h"
#include "config/settings_schema.h"

void videoKey(int step, int pair, char* out, size_t capacity) {
  numberedKey(kVideoStem, step, isAudioStep(step) ? pair : -1, out, capacity);
}

bool readVideoPath(int step, int pair, char* path) {
  char key[80];
  for (;;) {
    videoKey(step, pair, key, sizeof(key));
    readProfileString(settingsPath, kVideoSection, key, path, kValueCapacity);
    if (path[0]) {
      return true;
    }
    bool pairKey = isAudioStep(step) && pair >= 0;
    if (!pairKey) {
      return false;
    }
    pair = -1;
  }
}
