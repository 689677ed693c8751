#include "config/ini_section.h"

#include <algorithm>

#include "base/ascii_text.h"

static bool isProfileBlank(char c) {
  // Ctrl-Z counts as a blank too: old editors ended text files with it.
  return isAsciiBlank(c) || c == 0x1a;
}

std::string_view trimProfileBlanks(std::string_view text) {
  while (!text.empty() && isProfileBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isProfileBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string foldProfileCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    c = asciiLower(c);
  }
  return folded;
}

void copyProfileValue(std::string_view raw, char* out, size_t capacity) {
  if (capacity == 0) {
    return;
  }
  const bool quoted =
      raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front();
  if (quoted) {
    raw.remove_prefix(1);
  }
  size_t length = std::min(raw.size(), capacity - 1);
  raw.copy(out, length);
  // The service drops the closing quote only when everything after the opening one fits
  // in the buffer, and then it drops the last character copied, whatever it is: a value
  // exactly one character too long loses its last character instead of the quote.
  if (quoted && capacity >= raw.size() && length > 0) {
    --length;
  }
  out[length] = '\0';
}

IniSection parseIniSection(std::string_view text) {
  IniSection section;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\0'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) {
      continue;
    }
    const size_t equals = line.find('=');
    const std::string_view name = trimProfileBlanks(line.substr(0, equals));
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    section.values.emplace(foldProfileCase(name), trimProfileBlanks(value));
  }
  return section;
}

void lookupIniValue(const IniSection& section, const char* key, char* out, size_t capacity) {
  const auto found = section.values.find(foldProfileCase(trimProfileBlanks(key)));
  copyProfileValue(found == section.values.end() ? std::string_view() : found->second, out,
                   capacity);
}
