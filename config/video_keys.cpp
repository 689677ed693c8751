#include "config/video_keys.h"

#include <cstdio>

#include "base/steps.h"
#include "config/device_select.h"
#include "config/profile.h"
#include "config/settings.h"

void videoKey(int step, int pair, char* out, size_t capacity) {
  if (isAudioStep(step) && pair >= 0) {
    snprintf(out, capacity, "video%d_%d", stepNumber(step), pair + 1);
  } else {
    snprintf(out, capacity, "video%d", stepNumber(step));
  }
}

bool readVideoPath(int step, int pair, char* path) {
  char key[80];
  for (;;) {
    videoKey(step, pair, key, sizeof(key));
    readProfileString(settingsPath, "video", key, path, kValueCapacity);
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
