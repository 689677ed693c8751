#include "check/ini_document.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "config/ini_lines.h"
#include "config/ini_section.h"

// The checker's view keeps only what the service reads as keys: comment lines are left out,
// and the lines before the first header count only when one of them is a key.
static IniSectionLines keyLinesOf(const IniSectionText& text) {
  IniSectionLines section{std::string(text.name), text.line, {}, {}};
  const std::unordered_map<std::string, size_t> readKeys = indexIniKeys(text);
  for (size_t i = 0; i < text.keys.size(); ++i) {
    const IniKeyLine& key = text.keys[i];
    if (key.comment) {
      continue;
    }
    std::string folded = foldProfileCase(key.key);
    if (readKeys.at(folded) == i) {
      section.firstOf.emplace(std::move(folded), section.lines.size());
    }
    section.lines.push_back(
        IniLine{key.line, std::string(key.key), std::string(key.value), key.hasEquals});
  }
  return section;
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
  const IniLines lines = splitIniLines(content);
  document.byteOrderMark = lines.byteOrderMark;
  document.lineCount = lines.lineCount;
  for (size_t i = 0; i < lines.sections.size(); ++i) {
    const IniSectionText& text = lines.sections[i];
    IniSectionLines section = keyLinesOf(text);
    if (text.readAs != i) {
      document.duplicates.push_back({section.name, section.line, lines.sections[text.readAs].line,
                                     static_cast<int>(section.lines.size())});
    } else if (i > 0 || !section.lines.empty()) {
      document.sectionIndex.emplace(foldProfileCase(section.name), document.sections.size());
      document.sections.push_back(std::move(section));
    }
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
