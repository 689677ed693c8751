#include "config/scan.h"

#include "base/ascii_text.h"

static bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool scanNumber(const char*& text, int32_t& value) {
  const char* p = text;
  while (isAsciiBlank(*p)) {
    ++p;
  }
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') {
    ++p;
  }
  if (!isDigit(*p)) {
    return false;
  }
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; isDigit(*p); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) {
      magnitude = limit;
    }
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  text = p;
  return true;
}

// Numbers separated by single commas, stored in order until the first that does not fit.
static int scanFields(const char* text, int32_t* const fields[], int count, const char** stop) {
  int stored = 0;
  while (stored < count) {
    const char* next = text;
    if (stored > 0) {
      if (*next != ',') {
        break;
      }
      ++next;
    }
    if (!scanNumber(next, *fields[stored])) {
      break;
    }
    text = next;
    ++stored;
  }
  if (stop != nullptr) {
    *stop = text;
  }
  return stored;
}

int scanRectangle(const char* text, ControlRect& rect, const char** stop) {
  int32_t* const fields[] = {&rect.x, &rect.y, &rect.width, &rect.height};
  return scanFields(text, fields, 4, stop);
}

int scanNoteEntry(const char* text, ControlRect& rect, int32_t& receiveFlag, const char** stop) {
  int32_t* const fields[] = {&rect.x, &rect.y, &rect.width, &rect.height, &receiveFlag};
  return scanFields(text, fields, 5, stop);
}
