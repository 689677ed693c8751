// An INI file as its author sees it: every section and key line with its line number, read
// by the same rules as the private-profile service (blanks trimmed, names without regard to
// case, the first of duplicate keys and of duplicate sections wins). The station's own
// readers give the values; this only tells the checker where each one stands.
#ifndef CHECK_INI_DOCUMENT_H
#define CHECK_INI_DOCUMENT_H

#include <string>
#include <unordered_map>
#include <vector>

struct IniLine {
  int line;           // 1-based, as an editor counts lines
  std::string key;    // as written, blanks trimmed
  std::string value;  // raw, blanks trimmed, quotes kept
  bool hasEquals;
};

struct IniSectionLines {
  std::string name;  // as written in its header
  int line;          // header line; 0 for the lines before the first header
  std::vector<IniLine> lines;
  // Folded key -> position in lines of the entry the service reads (the first).
  std::unordered_map<std::string, size_t> firstOf;
};

struct IniDuplicateSection {
  std::string name;
  int line;
  int firstLine;  // the header whose keys are read instead
  int keyCount;
};

struct IniDocument {
  bool readable = false;
  std::vector<IniSectionLines> sections;  // first occurrence of each name, in file order
  std::unordered_map<std::string, size_t> sectionIndex;  // folded name -> position
  std::vector<IniDuplicateSection> duplicates;
  int lineCount = 0;
  bool byteOrderMark = false;  // the file starts with a UTF-8 byte-order mark
};

IniDocument readIniDocument(const std::string& path);

const IniSectionLines* findSection(const IniDocument& document, const std::string& name);
// The line the service reads for section/key, or null.
const IniLine* findKey(const IniDocument& document, const std::string& section,
                       const std::string& key);
// What a UTF-8 byte-order mark does on Windows, whose private-profile service reads it as
// part of the first line: a section header there is lost with every key under it (the native
// stand-in and Wine strip the mark). Empty when it hides nothing.
std::string byteOrderMarkProblem(const IniDocument& document);

// Line of the key, else of its section's header, else 0.
int lineOf(const IniDocument& document, const std::string& section, const std::string& key);

#endif
