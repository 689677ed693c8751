// Comparing names the way the unit's ports and drivers are matched: ASCII letters without
// regard to case, every other byte as it is, whatever the system's locale.
#ifndef APP_ASCII_TEXT_H
#define APP_ASCII_TEXT_H

inline char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

inline bool sameNameIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (asciiLower(*a) != asciiLower(*b)) {
      return false;
    }
  }
  return *a == *b;
}

#endif
