// The settings file's number lists ("%d,%d,..."), read the way the C library's scanf would
// read them, without its undefined behaviour on numbers that do not fit.
#ifndef CONFIG_SCAN_H
#define CONFIG_SCAN_H

#include <cstdint>

#include "base/rectangle.h"

// One "%d": blanks, an optional sign, at least one digit, moving text past them. Numbers
// beyond the 32-bit range saturate at its ends. False, and nothing moved or stored, when
// there is no digit.
bool scanNumber(const char*& text, int32_t& value);

// Scanning stops at the first character that does not fit; fields before it are stored,
// later fields keep their value. Result: fields stored; stop, when given, points at the
// first character not used (the model checker says what was kept).
int scanRectangle(const char* text, ControlRect& rect, const char** stop = nullptr);
int scanNoteEntry(const char* text, ControlRect& rect, int32_t& receiveFlag,
                  const char** stop = nullptr);

#endif
