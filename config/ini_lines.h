// A profile (INI) file split the way the private-profile service splits it, with the line
// numbers an editor shows: its sections in file order, each with its header line and its key
// lines. The native stand-in of the service answers reads from it, and the model checker
// tells an author where each value stands; both therefore see the same lines.
#ifndef CONFIG_INI_LINES_H
#define CONFIG_INI_LINES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Views into the bytes given to splitIniLines, which must outlive them.
struct IniKeyLine {
  int line;                // 1-based, as an editor counts lines
  std::string_view key;    // as written, blanks trimmed
  std::string_view value;  // blanks trimmed, quotes kept; empty without '='
  bool hasEquals;
  // Starts with ';': a per-key read still finds the line (under its key ";..."), a section
  // read leaves it out.
  bool comment;
};

struct IniSectionText {
  std::string_view name;  // as written in its header, trimmed; empty for the nameless one
  int line;               // header line; 0 for the lines before the first header
  std::vector<IniKeyLine> keys;
  // Position in IniLines::sections of the section of this name that the service reads: the
  // first of duplicate sections wins, and a later one's lines are never read.
  size_t readAs;
};

struct IniLines {
  // sections[0] holds the lines before the first header. It takes part in the name rule
  // under the empty name only when one of them is a key line that is not a comment.
  std::vector<IniSectionText> sections;
  std::unordered_map<std::string, size_t> sectionIndex;  // folded name -> the section read
  int lineCount = 0;
  bool byteOrderMark = false;  // the bytes start with a UTF-8 byte-order mark (skipped)
};

IniLines splitIniLines(std::string_view bytes);

// The section read under a name, in any case; null when none has it.
const IniSectionText* findIniSection(const IniLines& lines, std::string_view name);

// Folded key -> position in keys of the line the service reads: the first of duplicate keys
// wins. Comment lines are indexed under their ';' keys, so they never hide a key.
std::unordered_map<std::string, size_t> indexIniKeys(const IniSectionText& section);

#endif
