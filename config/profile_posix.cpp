// Native stand-in for the private-profile service, for unit tests: it reads the file
// itself and follows the rules measured on the service (see ini_section.h for values).
#include "config/profile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string_view>

#include "config/ini_section.h"

// The lines of the first section named `section`, in the section read's format. CR and LF
// both end a line; a header is '[' up to the last ']' on its line, its name trimmed; only
// the first of duplicate sections counts. Comment lines are left out of section reads
// but still found by per-key reads.
static std::string sectionText(const char* path, std::string_view section, bool withComments) {
  std::ifstream file(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string_view rest(content);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
    rest.remove_prefix(3);
  }

  std::string text;
  bool inSection = section.empty();  // lines before the first header form a nameless one
  while (!rest.empty()) {
    const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    line = trimProfileBlanks(line.substr(0, line.find('\0')));
    const size_t close = line.rfind(']');
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
      if (inSection) {
        break;
      }
      inSection =
          foldProfileCase(trimProfileBlanks(line.substr(1, close - 1))) == foldProfileCase(section);
      continue;
    }
    if (!inSection || line.empty() || (line.front() == ';' && !withComments)) {
      continue;
    }
    const size_t equals = line.find('=');
    text += trimProfileBlanks(line.substr(0, equals));
    if (equals != std::string_view::npos) {
      text += '=';
      text += trimProfileBlanks(line.substr(equals + 1));
    }
    text += '\0';
  }
  text += '\0';
  return text;
}

std::string readProfileSection(const char* path, const char* section) {
  return sectionText(path, section, false);
}

void readProfileString(const char* path, const char* section, const char* key, char* out,
                       size_t capacity) {
  const IniSection lines = parseIniSection(sectionText(path, trimProfileBlanks(section), true));
  lookupIniValue(lines, key, out, capacity);
}

// The service converts like RtlUnicodeStringToInteger: leading control characters and
// blanks skipped, one sign, a "0x", "0o" or "0b" prefix, digits up to the first misfit,
// 32-bit wrap-around.
static int convertProfileInt(const char* text) {
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
  for (;; ++p) {
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
  return static_cast<int>(negative ? 0u - total : total);
}

int readProfileInt(const char* path, const char* section, const char* key, int defaultValue) {
  char text[30];  // the service reads the value into 30 characters before converting it
  readProfileString(path, section, key, text, sizeof text);
  return text[0] == '\0' ? defaultValue : convertProfileInt(text);
}
