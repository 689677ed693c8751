// INI text: the input is a whole profile file. Read through the native stand-in of the
// private-profile service, the section read and the in-memory lookup that the settings load
// uses must answer every key exactly as a per-key read does; values obey the quote and
// blank rules and are cut within the caller's buffer; a section written back reads the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/ini_section.h"
#include "config/profile.h"
#include "fuzz_support.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == 0x1a;
}

bool isTrimmed(std::string_view text) {
  return text.empty() || (!isBlank(text.front()) && !isBlank(text.back()));
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  return lower;
}

std::string upperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  }
  return upper;
}

// One matching pair of quotes around a value is not part of it.
std::string_view unquoted(std::string_view raw) {
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
    return raw.substr(1, raw.size() - 2);
  }
  return raw;
}

struct Entry {
  std::string_view name, value;
};

// The lines of a section read, checked for the form every line has.
std::vector<Entry> entriesOf(std::string_view text) {
  FUZZ_CHECK(!text.empty() && text.back() == '\0');
  FUZZ_CHECK(text.size() == 1 || text.substr(text.size() - 2) == std::string_view("\0\0", 2));
  std::vector<Entry> entries;
  text.remove_suffix(1);
  while (!text.empty()) {
    const size_t end = text.find('\0');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    FUZZ_CHECK(!line.empty());
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    FUZZ_CHECK(line.front() != ';');  // comments are left out of section reads
    FUZZ_CHECK(!(line.front() == '[' && line.find(']') != std::string_view::npos));
    const size_t equals = line.find('=');
    const Entry entry{line.substr(0, equals), equals == std::string_view::npos
                                                  ? std::string_view()
                                                  : line.substr(equals + 1)};
    FUZZ_CHECK(isTrimmed(entry.name) && isTrimmed(entry.value));
    entries.push_back(entry);
  }
  return entries;
}

// A lookup of key in the parsed section read: within its buffer, the first line of the key
// wins, and its value comes whole when the buffer has room.
std::string checkLookup(const IniSection& parsed, const std::string& key, size_t capacity,
                        const std::string_view* firstValue) {
  GuardedBuffer out(capacity, 'x');
  lookupIniValue(parsed, key.c_str(), out.data(), capacity);
  FUZZ_CHECK(out.guardIntact());
  if (capacity == 0) {
    return "";
  }
  FUZZ_CHECK(out.terminated());
  const std::string value = out.text();
  if (firstValue == nullptr) {
    FUZZ_CHECK(value.empty());
    return value;
  }
  FUZZ_CHECK(firstValue->find(value) != std::string_view::npos);
  if (capacity > firstValue->size()) {
    FUZZ_CHECK(value == unquoted(*firstValue));
  }
  return value;
}

// A per-key read of the file gives what the section read gave.
void checkPerKey(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& fromSection, size_t capacity) {
  GuardedBuffer perKey(capacity, 'y');
  readProfileString(path.c_str(), section.c_str(), key.c_str(), perKey.data(), capacity);
  FUZZ_CHECK(perKey.guardIntact() && perKey.terminated());
  FUZZ_CHECK(perKey.text() == fromSection);
}

// Header names as the fuzzer wrote them, to ask for sections that exist.
std::vector<std::string> headerNames(std::string_view text) {
  std::vector<std::string> names;
  size_t at = 0;
  while (names.size() < 3 && (at = text.find('[', at)) != std::string_view::npos) {
    const size_t close = text.find_first_of("]\r\n", at + 1);
    const std::string name(
        text.substr(at + 1, close == std::string_view::npos ? close : close - at - 1));
    if (name.find('\0') == std::string::npos) {
      names.push_back(name);
    }
    at += 1;
  }
  return names;
}

// section: a name without blanks around it; perKeySection: the same name as the per-key
// reads are given it, blanks and all (they trim it).
void checkSection(const std::string& path, const std::string& section,
                  const std::string& perKeySection, size_t smallCapacity) {
  const std::string text = readProfileSection(path.c_str(), section.c_str());
  const std::vector<Entry> entries = entriesOf(text);
  const IniSection parsed = parseIniSection(text);

  std::unordered_map<std::string, std::string_view> firstValues;
  for (const Entry& entry : entries) {
    firstValues.emplace(lowerAscii(entry.name), entry.value);
  }
  FUZZ_CHECK(parsed.values.size() == firstValues.size());

  // Keys as the section has them, in other letter case, and a few it may lack.
  std::vector<std::string> keys = {"0", "7", "127", "0:1", "127:16", "text1", "Width"};
  for (size_t i = 0; i < entries.size() && i < 16; ++i) {
    keys.emplace_back(entries[i].name);
    keys.push_back(upperAscii(entries[i].name));
  }
  for (const std::string& key : keys) {
    const auto found = firstValues.find(lowerAscii(key));
    const std::string_view* first = found == firstValues.end() ? nullptr : &found->second;
    for (const size_t capacity : {size_t{0}, size_t{1}, smallCapacity, size_t{128}}) {
      checkLookup(parsed, key, capacity, first);
    }
    checkPerKey(path, perKeySection, key, checkLookup(parsed, key, 512, first), 512);
  }
  // Blanks around a key do not change its answer.
  for (size_t i = 0; i < entries.size() && i < 8; ++i) {
    GuardedBuffer plain(128, 'p');
    GuardedBuffer padded(128, 'q');
    const std::string name(entries[i].name);
    readProfileString(path.c_str(), perKeySection.c_str(), name.c_str(), plain.data(), 128);
    readProfileString(path.c_str(), perKeySection.c_str(), (" " + name + "\t").c_str(),
                      padded.data(), 128);
    FUZZ_CHECK(plain.text() == padded.text());
  }

  // Written back as a file of its own, the section reads the same. Skipped for names a
  // header cannot carry and for a nameless section whose first line looks like a BOM.
  const bool headerFits = !section.empty() && isTrimmed(section) &&
                          section.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
  const bool namelessFits =
      section.empty() && (entries.empty() || entries[0].name.substr(0, 3) != "\xEF\xBB\xBF");
  if (headerFits || namelessFits) {
    std::string file = headerFits ? "[" + section + "]\r\n" : "";
    for (const Entry& entry : entries) {
      file.append(entry.name);
      if (entry.value.data() != nullptr) {
        file += '=';
        file.append(entry.value);
      }
      file += "\r\n";
    }
    const std::string copy = writeScratchFile("copy.ini", file);
    FUZZ_CHECK(readProfileSection(copy.c_str(), section.c_str()) == text);
  }
}

// The section text handed straight to the parser: whatever it holds, lookups stay within
// their buffers and give part of some line.
void checkRawSectionText(std::string_view text) {
  const IniSection parsed = parseIniSection(text);
  size_t checked = 0;
  for (const auto& [key, raw] : parsed.values) {
    if (++checked > 32) {
      break;
    }
    GuardedBuffer out(64, 'z');
    lookupIniValue(parsed, key.c_str(), out.data(), out.capacity());
    FUZZ_CHECK(out.guardIntact() && out.terminated());
    FUZZ_CHECK(text.find(out.text()) != std::string_view::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratchFile("profile.ini", text);
  const size_t smallCapacity = 2 + size % 37;
  std::vector<std::string> sections = {"", "notes", "controllers", "text"};
  for (std::string& name : headerNames(text)) {
    sections.push_back(std::move(name));
  }
  for (const std::string& asked : sections) {
    const size_t first = asked.find_first_not_of(" \t\v\f\r\n\x1a");
    const size_t last = asked.find_last_not_of(" \t\v\f\r\n\x1a");
    const std::string trimmed =
        first == std::string::npos ? "" : asked.substr(first, last - first + 1);
    // A section read takes the name as it is given, and header names carry no blanks.
    if (trimmed != asked) {
      FUZZ_CHECK(readProfileSection(path.c_str(), asked.c_str()) == std::string(1, '\0'));
    }
    checkSection(path, trimmed, asked, smallCapacity);
  }
  checkRawSectionText(text);
  return 0;
}
