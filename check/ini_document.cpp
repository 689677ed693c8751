#include "check/ini_document.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "config/ini_section.h"

// The service ends a line at CR or at LF; an editor counts CR LF as one line end. Both agree
// on where every non-empty line starts, so lines are numbered the editor's way.
static std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    lines.push_back(text.substr(0, end));
    size_t next = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
      next = end + 2;
    }
    text.remove_prefix(std::min(next, text.size()));
  }
  return lines;
}

static void addKeyLine(IniSectionLines& section, std::string_view line, int number) {
  const size_t equals = line.find('=');
  IniLine entry;
  entry.line = number;
  entry.key = std::string(trimProfileBlanks(line.substr(0, equals)));
  entry.hasEquals = equals != std::string_view::npos;
  if (entry.hasEquals) {
    entry.value = std::string(trimProfileBlanks(line.substr(equals + 1)));
  }
  section.firstOf.emplace(foldProfileCase(entry.key), section.lines.size());
  section.lines.push_back(std::move(entry));
}

IniDocument readIniDocument(const std::string& path) {
  IniDocument document;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return document;
  }
  document.readable = true;
  const std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  std::string_view rest(content);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
    rest.remove_prefix(3);
    document.byteOrderMark = true;
  }
  const std::vector<std::string_view> lines = splitLines(rest);
  document.lineCount = static_cast<int>(lines.size());

  IniSectionLines* current = nullptr;
  IniSectionLines ignored;  // the body of a duplicate section
  for (size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    std::string_view line = lines[i];
    line = trimProfileBlanks(line.substr(0, line.find('\0')));
    const size_t close = line.rfind(']');
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
      const std::string name(trimProfileBlanks(line.substr(1, close - 1)));
      const std::string folded = foldProfileCase(name);
      const auto found = document.sectionIndex.find(folded);
      if (found != document.sectionIndex.end()) {
        document.duplicates.push_back({name, number, document.sections[found->second].line, 0});
        ignored = IniSectionLines{};
        current = &ignored;
        continue;
      }
      document.sectionIndex.emplace(folded, document.sections.size());
      document.sections.push_back(IniSectionLines{name, number, {}, {}});
      current = &document.sections.back();
      continue;
    }
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (current == nullptr) {
      // Lines above the first header form a section without a name.
      document.sectionIndex.emplace("", document.sections.size());
      document.sections.push_back(IniSectionLines{"", 0, {}, {}});
      current = &document.sections.back();
    }
    if (current == &ignored) {
      ++document.duplicates.back().keyCount;
    }
    addKeyLine(*current, line, number);
  }
  return document;
}

const IniSectionLines* findSection(const IniDocument& document, const std::string& name) {
  const auto found = document.sectionIndex.find(foldProfileCase(name));
  return found == document.sectionIndex.end() ? nullptr : &document.sections[found->second];
}

const IniLine* findKey(const IniDocument& document, const std::string& section,
                       const std::string& key) {
  const IniSectionLines* lines = findSection(document, section);
  if (lines == nullptr) {
    return nullptr;
  }
  const auto found = lines->firstOf.find(foldProfileCase(key));
  return found == lines->firstOf.end() ? nullptr : &lines->lines[found->second];
}

int lineOf(const IniDocument& document, const std::string& section, const std::string& key) {
  if (const IniLine* line = findKey(document, section, key)) {
    return line->line;
  }
  const IniSectionLines* lines = findSection(document, section);
  return lines == nullptr ? 0 : lines->line;
}

std::string byteOrderMarkProblem(const IniDocument& document) {
  if (!document.byteOrderMark || document.sections.empty() || document.sections[0].line != 1) {
    return "";
  }
  const IniSectionLines& hidden = document.sections[0];
  return "the file starts with a UTF-8 byte-order mark, which the station on Windows reads as "
         "part of this line: it never finds section [" +
         hidden.name + "] and reads none of its " + std::to_string(hidden.lines.size()) +
         " keys; save the file without the mark (as ANSI)";
}
