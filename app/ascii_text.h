// Text rules that hold whatever the system's locale: blanks as the C locale knows them, and
// names compared the way the unit's ports, drivers and INI keys are matched (ASCII letters
// without regard to case, every other byte as it is).
#ifndef APP_ASCII_TEXT_H
#define APP_ASCII_TEXT_H

// Space, tab, line feed, vertical tab, form feed and carriage return.
inline bool isAsciiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

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
