#include "config/profile_int.h"

#include <cstdint>

int convertProfileInt(const char* text, const char** end, int* digits) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0 && *p <= ' ') {
    ++p;
  }
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') {
    ++p;
  }
  uint32_t base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
    p += 2;
  }
  uint32_t total = 0;
  int count = 0;
  for (;; ++p, ++count) {
    uint32_t digit = base;
    if (*p >= '0' && *p <= '9') {
      digit = *p - '0';
    }
    if (*p >= 'a' && *p <= 'z') {
      digit = *p - 'a' + 10;
    }
    if (*p >= 'A' && *p <= 'Z') {
      digit = *p - 'A' + 10;
    }
    if (digit >= base) {
      break;
    }
    total = total * base + digit;
  }
  if (end != nullptr) {
    *end = reinterpret_cast<const char*>(p);
  }
  if (digits != nullptr) {
    *digits = count;
  }
  return static_cast<int>(negative ? 0u - total : total);
}
