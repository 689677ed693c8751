#include "config/page_keys.h"

#include <cstring>

#include "config/device_select.h"
#include "config/profile.h"
#include "config/scan.h"

void readPageValue(int step, int page, char* value, size_t capacity) {
  char key[80];
  numberedKey(kPageStem, step, page, key, sizeof key);
  readProfileString(settingsPath, kTextSection, key, value, capacity);
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
