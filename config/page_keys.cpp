#include "config/page_keys.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "app/steps.h"
#include "config/device_select.h"
#include "config/profile.h"

void readPageValue(int step, int page, char* value, size_t capacity) {
  char key[80];
  if (page < 0) {
    std::snprintf(key, sizeof key, "text%d", stepNumber(step));
  } else {
    std::snprintf(key, sizeof key, "text%d_%d", stepNumber(step), page + 1);
  }
  readProfileString(settingsPath, "text", key, value, capacity);
}

static bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Like atoi, but a number beyond the int range saturates instead of being undefined.
static int leadingInteger(const char* text) {
  while (isBlank(*text)) {
    ++text;
  }
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') {
    ++text;
  }
  long long magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (magnitude <= INT_MAX) {
      magnitude = magnitude * 10 + (*text - '0');
    }
  }
  if (negative) {
    return magnitude > -static_cast<long long>(INT_MIN) ? INT_MIN : static_cast<int>(-magnitude);
  }
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

int pagePrefixNumber(const char* value) {
  if (std::strchr(value, ',') == nullptr) {
    return 0;
  }
  return leadingInteger(value);
}
