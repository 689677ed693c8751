// Native stand-in for the private-profile service, for unit tests and fuzz targets: it reads
// the file itself and follows the rules measured on the service (see ini_section.h for
// values). Like the service it reads the file at every call, but it parses it again only
// when its bytes differ from the file this thread parsed last: a settings load asks dozens
// of keys of one file, and a fuzz target hundreds of thousands of files.
#include "config/profile.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "config/ini_section.h"
#include "config/profile_int.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One section in the section read's format, "key=value\0" per line, with and without its
// comment lines: per-key reads still find comment lines, section reads leave them out.
struct SectionLines {
  std::string withComments;
  std::string withoutComments;
  IniSection keys;  // withComments parsed, at the first per-key read of the section
  bool keysParsed = false;
};

struct ParsedFile {
  std::string content;    // the bytes these sections were parsed from
  SectionLines nameless;  // the lines before the first header
  std::unordered_map<std::string, SectionLines> sections;  // by folded name
};

// Per thread: the MIDI and window threads of the stress tests read profiles at once.
thread_local ParsedFile lastFile;

// The file's bytes into content (emptied when it cannot be read), reusing its storage.
void readWholeFile(const char* path, std::string& content) {
  content.clear();
  const int file = open(path, O_RDONLY | O_CLOEXEC);
  if (file < 0) {
    return;
  }
  struct stat status;
  if (fstat(file, &status) == 0 && S_ISREG(status.st_mode)) {
    // Read to the end, whatever the size said: the file may be growing.
    content.resize(static_cast<size_t>(status.st_size) + 1);
    size_t used = 0;
    for (;;) {
      if (used == content.size()) {
        content.resize(2 * content.size());
      }
      const ssize_t got = read(file, content.data() + used, content.size() - used);
      if (got <= 0) {
        break;
      }
      used += static_cast<size_t>(got);
    }
    content.resize(used);
  }
  close(file);
}

// CR and LF both end a line; a header is '[' up to the last ']' on its line, its name
// trimmed; only the first of duplicate sections counts.
void parseSections(ParsedFile& parsed) {
  std::string_view rest(parsed.content);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
    rest.remove_prefix(3);
  }
  SectionLines* current = &parsed.nameless;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    line = trimProfileBlanks(line.substr(0, line.find('\0')));
    const size_t close = line.rfind(']');
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
      const auto [found, inserted] = parsed.sections.try_emplace(
          foldProfileCase(trimProfileBlanks(line.substr(1, close - 1))));
      current = inserted ? &found->second : nullptr;
      continue;
    }
    if (current == nullptr || line.empty()) {
      continue;
    }
    const size_t equals = line.find('=');
    std::string entry(trimProfileBlanks(line.substr(0, equals)));
    if (equals != std::string_view::npos) {
      entry += '=';
      entry += trimProfileBlanks(line.substr(equals + 1));
    }
    entry += '\0';
    current->withComments += entry;
    if (line.front() != ';') {
      current->withoutComments += entry;
    }
  }
}

ParsedFile& parsedFile(const char* path) {
  thread_local std::string content;
  readWholeFile(path, content);
  if (content != lastFile.content) {
    lastFile.nameless = SectionLines{};
    lastFile.sections.clear();
    lastFile.content.swap(content);
    parseSections(lastFile);
  }
  return lastFile;
}

// section: the name as asked, compared with the trimmed header names; empty names the
// lines before the first header.
SectionLines* findSection(ParsedFile& file, std::string_view section) {
  if (section.empty()) {
    return &file.nameless;
  }
  const auto found = file.sections.find(foldProfileCase(section));
  return found == file.sections.end() ? nullptr : &found->second;
}

}  // namespace

std::string readProfileSection(const char* path, const char* section) {
  const SectionLines* lines = findSection(parsedFile(path), section);
  return (lines == nullptr ? std::string() : lines->withoutComments) + '\0';
}

void readProfileString(const char* path, const char* section, const char* key, char* out,
                       size_t capacity) {
  SectionLines* lines = findSection(parsedFile(path), trimProfileBlanks(section));
  if (lines == nullptr) {
    lookupIniValue(IniSection{}, key, out, capacity);
    return;
  }
  if (!lines->keysParsed) {
    lines->keys = parseIniSection(lines->withComments);
    lines->keysParsed = true;
  }
  lookupIniValue(lines->keys, key, out, capacity);
}

int readProfileInt(const char* path, const char* section, const char* key, int defaultValue) {
  char text[kProfileIntCapacity];
  readProfileString(path, section, key, text, sizeof text);
  return text[0] == '\0' ? defaultValue : convertProfileInt(text);
}
