// One INI section held in memory. Built from what the section read returns, it answers
// every key exactly as a per-key private-profile read of the same file would, so that
// thousands of keys cost one file read instead of one service call each.
#ifndef CONFIG_INI_SECTION_H
#define CONFIG_INI_SECTION_H

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

struct IniSection {
  // Key folded to lower case -> raw value (blanks trimmed, quotes still on). A line
  // without '=' reads as empty and still hides later lines of the same key.
  std::unordered_map<std::string, std::string> values;
};

// text: "key=value\0key=value\0\0". The first of duplicate keys wins. Comment lines (';')
// never reach this text: the section read leaves them out.
IniSection parseIniSection(std::string_view text);

// The value of key with an empty default, at most capacity - 1 characters.
void lookupIniValue(const IniSection& section, const char* key, char* out, size_t capacity);

// The service's text rules, shared with the native stand-in of the profile reads: blanks
// (Ctrl-Z among them) trimmed at both ends, and names matched without regard to ASCII case.
std::string_view trimProfileBlanks(std::string_view text);
std::string foldProfileCase(std::string_view name);
// A raw value as the service returns it: one pair of matching quotes stripped, then cut to
// capacity - 1 characters (the model checker reads raw lines with it too).
void copyProfileValue(std::string_view raw, char* out, size_t capacity);

#endif
