#include "config/page_keys.h"

#include <cstdio>
#include <cstring>

#include "base/steps.h"
#include "config/device_select.h"
#include "config/profile.h"
#include "config/scan.h"

void readPageValue(int step, int page, char* value, size_t capacity) {
  char key[80];
  if (page < 0) {
    std::snprintf(key, sizeof key, "text%d", stepNumber(step));
  } else {
    std::snprintf(key, sizeof key, "text%d_%d", stepNumber(step), page + 1);
  }
  readProfileString(settingsPath, "text", key, value, capacity);
}

int pagePrefixNumber(const char* value) {
  if (std::strchr(value, ',') == nullptr) {
    return 0;
  }
  // Like atoi: 0 without digits, and a number beyond the int range saturates.
  int32_t number = 0;
  scanNumber(value, number);
  return number;
}
