// Native stand-in for the private-profile service, for unit tests and fuzz targets: it reads
// the file itself and splits it as the service does (ini_lines.h; ini_section.h for
// values). Like the service it reads the file at every call, but it parses it again only
// when its bytes differ from the file this thread parsed last: a settings load asks dozens
// of keys of one file, and a fuzz target hundreds of thousands of files.
#include "config/profile.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/ini_lines.h"
#include "config/ini_section.h"
#include "config/profile_int.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the reads of one section need, built at its first read of each kind.
struct SectionReads {
  std::string sectionText;  // the section read's "key=value\0" lines, comments left out
  bool sectionTextBuilt = false;
  std::unordered_map<std::string, size_t> keys;  // per-key reads: comments included
  bool keysIndexed = false;
};

struct ParsedFile {
  std::string content;              // the bytes these lines were split from
  IniLines lines;                   // views into content
  std::vector<SectionReads> reads;  // one per section of lines
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

ParsedFile& parsedFile(const char* path) {
  thread_local std::string content;
  readWholeFile(path, content);
  // A thread's first file is split even when it is empty or missing, like lastFile's bytes.
  if (content != lastFile.content || lastFile.lines.sections.empty()) {
    lastFile.content.swap(content);
    lastFile.lines = splitIniLines(lastFile.content);
    lastFile.reads.assign(lastFile.lines.sections.size(), SectionReads{});
  }
  return lastFile;
}

// section: the name as asked; empty names the lines before the first header, whatever
// they hold.
const IniSectionText* findSection(const ParsedFile& file, std::string_view section) {
  return section.empty() ? &file.lines.sections[0] : findIniSection(file.lines, section);
}

SectionReads& readsOf(ParsedFile& file, const IniSectionText& section) {
  return file.reads[static_cast<size_t>(&section - file.lines.sections.data())];
}

}  // namespace

std::string readProfileSection(const char* path, const char* section) {
  ParsedFile& file = parsedFile(path);
  const IniSectionText* lines = findSection(file, section);
  if (lines == nullptr) {
    return std::string(1, '\0');
  }
  SectionReads& reads = readsOf(file, *lines);
  if (!reads.sectionTextBuilt) {
    for (const IniKeyLine& key : lines->keys) {
      if (key.comment) {
        continue;
      }
      reads.sectionText += key.key;
      if (key.hasEquals) {
        reads.sectionText += '=';
        reads.sectionText += key.value;
      }
      reads.sectionText += '\0';
    }
    reads.sectionTextBuilt = true;
  }
  return reads.sectionText + '\0';
}

void readProfileString(const char* path, const char* section, const char* key, char* out,
                       size_t capacity) {
  ParsedFile& file = parsedFile(path);
  const IniSectionText* lines = findSection(file, trimProfileBlanks(section));
  std::string_view value;
  if (lines != nullptr) {
    SectionReads& reads = readsOf(file, *lines);
    if (!reads.keysIndexed) {
      reads.keys = indexIniKeys(*lines);
      reads.keysIndexed = true;
    }
    const auto found = reads.keys.find(foldProfileCase(trimProfileBlanks(key)));
    if (found != reads.keys.end()) {
      value = lines->keys[found->second].value;
    }
  }
  copyProfileValue(value, out, capacity);
}

int readProfileInt(const char* path, const char* section, const char* key, int defaultValue) {
  char text[kProfileIntCapacity];
  readProfileString(path, section, key, text, sizeof text);
  return text[0] == '\0' ? defaultValue : convertProfileInt(text);
}
