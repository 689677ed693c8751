#include "config/ini_lines.h"

#include <algorithm>

#include "config/ini_section.h"

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The service ends a line at CR or at LF; an editor counts CR LF as one line end. Both agree
// on where every non-empty line starts, so lines are numbered the editor's way. A NUL ends
// the line's text.
static std::string_view nextLine(std::string_view& rest) {
  const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
  const std::string_view line = rest.substr(0, end);
  size_t next = end + 1;
  if (end + 1 < rest.size() && rest[end] == '\r' && rest[end + 1] == '\n') {
    next = end + 2;
  }
  rest.remove_prefix(std::min(next, rest.size()));
  return trimProfileBlanks(line.substr(0, line.find('\0')));
}

static IniKeyLine keyLineOf(std::string_view line, int number) {
  const size_t equals = line.find('=');
  IniKeyLine entry{
      number, trimProfileBlanks(line.substr(0, equals)), {}, false, line.front() == ';'};
  entry.hasEquals = equals != std::string_view::npos;
  if (entry.hasEquals) {
    entry.value = trimProfileBlanks(line.substr(equals + 1));
  }
  return entry;
}

// The lines above the first header take the empty name when one of them is a key, before
// any "[]" header can: that header is then a duplicate.
static void nameLinesAboveHeaders(IniLines& lines) {
  const std::vector<IniKeyLine>& keys = lines.sections[0].keys;
  if (lines.sections.size() == 1 &&
      std::any_of(keys.begin(), keys.end(), [](const IniKeyLine& key) { return !key.comment; })) {
    lines.sectionIndex.emplace("", 0);
  }
}

// A new section under its header; its lines are read only when no earlier one has its name.
static void openSection(IniLines& lines, std::string_view name, int number) {
  const size_t readAs =
      lines.sectionIndex.try_emplace(foldProfileCase(name), lines.sections.size()).first->second;
  lines.sections.push_back(IniSectionText{name, number, {}, readAs});
}

IniLines splitIniLines(std::string_view bytes) {
  IniLines lines;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
    lines.byteOrderMark = true;
  }
  lines.sections.push_back(IniSectionText{{}, 0, {}, 0});
  int number = 0;
  while (!bytes.empty()) {
    const std::string_view line = nextLine(bytes);
    ++number;
    if (line.empty()) {
      continue;
    }
    // A header is '[' up to the last ']' on its line, its name trimmed.
    const size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
      nameLinesAboveHeaders(lines);
      openSection(lines, trimProfileBlanks(line.substr(1, close - 1)), number);
      continue;
    }
    lines.sections.back().keys.push_back(keyLineOf(line, number));
  }
  nameLinesAboveHeaders(lines);
  lines.lineCount = number;
  return lines;
}

const IniSectionText* findIniSection(const IniLines& lines, std::string_view name) {
  const auto found = lines.sectionIndex.find(foldProfileCase(name));
  return found == lines.sectionIndex.end() ? nullptr : &lines.sections[found->second];
}

std::unordered_map<std::string, size_t> indexIniKeys(const IniSectionText& section) {
  std::unordered_map<std::string, size_t> index;
  index.reserve(section.keys.size());
  for (size_t i = 0; i < section.keys.size(); ++i) {
    index.emplace(foldProfileCase(section.keys[i].key), i);
  }
  return index;
}
