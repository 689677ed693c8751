// Text rules that hold whatever the system's locale: blanks as the C locale knows them, and
// names compared the way the unit's ports, drivers and INI keys are matched (ASCII letters
// without regard to case, every other byte as it is).
#ifndef BASE_ASCII_TEXT_H
#define BASE_ASCII_TEXT_H

#include <cstddef>

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

// A text field of fixed size that a system service fills (a port name in device caps, a
// driver's name) need not end in a terminator: it is read up to its first NUL or its end,
// never past it, into out (capacity bytes), which is always terminated.
inline void copyFixedField(char* out, size_t capacity, const char* field, size_t fieldSize) {
  if (capacity == 0) {
    return;
  }
  size_t length = 0;
  while (length < fieldSize && length + 1 < capacity && field[length] != '\0') {
    out[length] = field[length];
    ++length;
  }
  out[length] = '\0';
}

#endif
