// The settings file as text: sections and keys the station never reads, duplicates, values
// too long for the station's buffers, and values that do not scan to the end.
#include "check/check_settings_text.h"

#include <algorithm>
#include <cstring>

#include "base/steps.h"
#include "check/model_check.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/profile_int.h"
#include "config/scan.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

namespace {

bool equalsFolded(const std::string& a, const char* b) {
  return foldProfileCase(a) == foldProfileCase(b);
}

template <typename Names>
bool isOneOf(const std::string& key, const Names& names) {
  return std::any_of(std::begin(names), std::end(names),
                     [&](const char* name) { return equalsFolded(key, name); });
}

// The fixed key of that name in section (either ignoring case), or null.
const SettingKey* schemaKey(const std::string& section, const std::string& key) {
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    if (equalsFolded(section, kSettingKeys[i].section) && equalsFolded(key, kSettingKeys[i].key)) {
      return &kSettingKeys[i];
    }
  }
  return nullptr;
}

bool isKeyOfKind(const std::string& section, const std::string& key, SettingKind kind) {
  const SettingKey* entry = schemaKey(section, key);
  return entry != nullptr && entry->kind == kind;
}

// The fixed keys of a section, those of one kind together (integers, paths, rectangles), in
// the loader's order within each kind: the order in which suggestions are weighed.
std::vector<const char*> keysOfSection(const std::string& section) {
  std::vector<const char*> names;
  for (SettingKind kind : {SettingKind::Integer, SettingKind::Path, SettingKind::Rectangle}) {
    for (size_t i = 0; i < kSettingKeyCount; ++i) {
      if (kSettingKeys[i].kind == kind && equalsFolded(section, kSettingKeys[i].section)) {
        names.push_back(kSettingKeys[i].key);
      }
    }
  }
  return names;
}

size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

size_t commonPrefix(const std::string& a, const std::string& b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) {
    ++n;
  }
  return n;
}

// Keeps in best the closest name so far, ignoring case, within bestDistance edits. Of names
// equally close the one that shares the longest start with the key wins ("meter_of" is
// meter_off cut short rather than meter_on mistyped), then the earlier one.
template <typename Names>
void keepCloser(const std::string& key, const Names& names, std::string& best,
                size_t& bestDistance) {
  const std::string folded = foldProfileCase(key);
  for (const char* name : names) {
    const std::string candidate = foldProfileCase(name);
    const size_t distance = editDistance(folded, candidate);
    if (distance < bestDistance ||
        (distance == bestDistance && !best.empty() &&
         commonPrefix(folded, candidate) > commonPrefix(folded, foldProfileCase(best)))) {
      bestDistance = distance;
      best = name;
    }
  }
}

constexpr size_t kFarthestSuggestion = 2;  // edits

// The closest of names within two edits, ignoring case; "" when none is that close.
template <typename Names>
std::string closest(const std::string& key, const Names& names) {
  std::string best;
  size_t bestDistance = kFarthestSuggestion + 1;
  keepCloser(key, names, best, bestDistance);
  return best;
}

// A plain decimal number as the station writes its keys: digits only, no leading zero.
bool isPlainNumber(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 4 || (text.size() > 1 && text[0] == '0') ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const int value = std::stoi(text);
  return value >= low && value <= high;
}

bool allDigits(const std::string& text) {
  return !text.empty() && text.size() < 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string withoutBlanks(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != ' ' && c != '\t') {
      out += c;
    }
  }
  return out;
}

// "text3_2" -> stem "text", first 3, second 2; false unless it has that shape (blanks and
// '-' or '.' in place of '_' tolerated, so that near misses are recognised).
bool splitNumberedKey(const std::string& key, const char* stem, std::string& first,
                      std::string& second, bool& hasSecond) {
  const std::string folded = foldProfileCase(withoutBlanks(key));
  const size_t stemLength = std::strlen(stem);
  if (folded.compare(0, stemLength, stem) != 0) {
    return false;
  }
  const std::string rest = folded.substr(stemLength);
  const size_t separator = rest.find_first_of("_-.");
  hasSecond = separator != std::string::npos;
  first = rest.substr(0, separator);
  second = hasSecond ? rest.substr(separator + 1) : std::string();
  return allDigits(first) && (!hasSecond || allDigits(second));
}

// Whether key is exactly the one the station asks for: the numbered key of step (a
// position) and second (-1 for none) as config spells it, in any letter case.
bool isStationKey(const std::string& key, const char* stem, int step, int second) {
  return isStep(step) &&
         foldProfileCase(key) == foldProfileCase(numberedKeyText(stem, step, second));
}

// The highest note or controller number a key names.
constexpr int kLastNumber = kNumbersPerBlock - 1;

std::string trimmedNumber(const std::string& digits) {
  return std::to_string(std::stoi(digits));
}

std::string stationValue(const std::string& raw) {
  char value[kValueCapacity];
  copyProfileValue(raw, value, sizeof value);
  return value;
}

// Whether the private-profile service converts the whole value ("12", "-3", "0x1F"): it
// reads only the first 29 characters, and takes only a lower-case "0x" as a prefix.
bool isWholeInteger(const std::string& value) {
  if (value.size() >= kProfileIntCapacity) {
    return false;
  }
  const char* end = nullptr;
  int digits = 0;
  convertProfileInt(value.c_str(), &end, &digits);
  return digits > 0 && *end == '\0';
}

const char* const kFieldNames[] = {"x", "y", "width", "height", "receive flag"};

// "keeps x 48, y 426 and width 640, and leaves height 0"
std::string keptFields(const int32_t* values, int stored, int count) {
  std::string text;
  if (stored == 0) {
    text = "keeps nothing";
  } else {
    text = "keeps ";
    for (int i = 0; i < stored; ++i) {
      text += (i == 0            ? ""
               : i + 1 == stored ? " and "
                                 : ", ") +
              std::string(kFieldNames[i]) + " " + std::to_string(values[i]);
    }
  }
  if (stored < count) {
    text += ", and leaves ";
    for (int i = stored; i < count; ++i) {
      text += (i == stored ? "" : i + 1 == count ? " and " : ", ") + std::string(kFieldNames[i]);
    }
    text += " at 0";
  }
  return text;
}

void checkScan(ModelCheck& model, const std::string& section, const IniLine& line,
               const std::string& value, int kind) {  // kind 0 rectangle, 1 note, 2 controller
  ControlRect rect{};
  int32_t receive = 0;
  const char* stop = nullptr;
  const int count = kind == 1 ? 5 : 4;
  const int stored = kind == 1 ? scanNoteEntry(value.c_str(), rect, receive, &stop)
                               : scanRectangle(value.c_str(), rect, &stop);
  const bool whole = *stop == '\0';
  if (whole && (stored == count || (kind == 1 && stored == 4))) {
    return;
  }
  if (kind == 2 && stored == 4 && whole == false) {
    ControlRect flag{};
    const char* flagStop = nullptr;
    if (stop[0] == ',' && scanRectangle(stop + 1, flag, &flagStop) == 1 && *flagStop == '\0') {
      if (flag.x != 0) {
        addFinding(model, Severity::Warning, "controller-receive", section, line.key,
                   "a receive flag (" + std::to_string(flag.x) +
                       ") on a controller is ignored: only notes take part in step 5",
                   line.line);
      }
      return;
    }
  }
  const int32_t values[] = {rect.x, rect.y, rect.width, rect.height, receive};
  const std::string used = value.substr(0, static_cast<size_t>(stop - value.c_str()));
  addFinding(model, Severity::Warning, "value-scan", section, line.key,
             "'" + value + "' scans only as far as '" + used + "': the station " +
                 keptFields(values, stored, count) + " and ignores '" + std::string(stop) + "'",
             line.line);
}

void checkValue(ModelCheck& model, const IniSectionLines& section, const IniLine& line) {
  const std::string name = foldProfileCase(section.name);
  const std::string value = stationValue(line.value);
  if (name == kNotesSection || name == kControllersSection) {
    if (!value.empty()) {
      checkScan(model, section.name, line, value, name == kNotesSection ? 1 : 2);
    }
    return;
  }
  const bool integer =
      name == kSequenceSection || isKeyOfKind(name, line.key, SettingKind::Integer);
  if (integer && !value.empty() && !isWholeInteger(value)) {
    const int read = readProfileInt(settingsPath, section.name.c_str(), line.key.c_str(), 0);
    std::string consequence;
    if (name == kSequenceSection) {
      consequence = read == 0 ? " (the step is disabled)" : " (the step runs)";
    }
    addFinding(model, Severity::Warning, "value-scan", section.name, line.key,
               "'" + value + "' is not a whole number" +
                   (value.size() >= kProfileIntCapacity
                        ? " within the " + std::to_string(kProfileIntCapacity - 1) +
                              " characters the station reads of a number"
                        : std::string()) +
                   ": the station reads " + std::to_string(read) + consequence,
               line.line);
  }
  if (isKeyOfKind(name, line.key, SettingKind::Rectangle) && !value.empty()) {
    checkScan(model, section.name, line, value, 0);
  }
}

void checkSectionLines(ModelCheck& model, const IniSectionLines& section) {
  for (size_t i = 0; i < section.lines.size(); ++i) {
    const IniLine& line = section.lines[i];
    if (!line.hasEquals) {
      addFinding(model, Severity::Warning, "no-equals", section.name, "",
                 "line '" + line.key + "' has no '=': the station reads nothing from it",
                 line.line);
      continue;
    }
    std::string explain;
    if (!isReadKey(section.name, line.key, explain)) {
      addFinding(model, Severity::Warning, "key-unknown", section.name, line.key,
                 "key never read: " + explain, line.line);
      continue;
    }
    const size_t first = section.firstOf.at(foldProfileCase(line.key));
    if (first != i) {
      const IniLine& winner = section.lines[first];
      addFinding(model, Severity::Warning, "key-duplicate", section.name, line.key,
                 "set again; the station reads line " + std::to_string(winner.line) + " ('" +
                     winner.value + "') and ignores this one",
                 line.line);
      continue;
    }
    const std::string& raw = line.value;
    const bool quoted =
        raw.size() >= 2 && (raw[0] == '"' || raw[0] == '\'') && raw.back() == raw[0];
    if (raw.size() - (quoted ? 2 : 0) > kValueCapacity - 1) {
      addFinding(model, Severity::Warning, "value-long", section.name, line.key,
                 "value is " + std::to_string(raw.size() - (quoted ? 2 : 0)) +
                     " characters long; the station reads only the first 127",
                 line.line);
    }
    checkValue(model, section, line);
  }
}

}  // namespace

// Whether the station reads key in [section]; when not, why, in explain.
bool isReadKey(const std::string& section, const std::string& key, std::string& explain) {
  const std::string name = foldProfileCase(section);
  std::string first, second;
  bool hasSecond = false;
  if (name == kNotesSection || name == kControllersSection) {
    const std::string bare = withoutBlanks(key);
    const size_t colon = bare.find(':');
    const std::string number = bare.substr(0, colon);
    const std::string channel = colon == std::string::npos ? "" : bare.substr(colon + 1);
    if (colon == std::string::npos ? isPlainNumber(key, 0, kLastNumber)
                                   : isPlainNumber(number, 0, kLastNumber) &&
                                         key.size() == number.size() + 1 + channel.size() &&
                                         isPlainNumber(channel, 1, kChannelCount)) {
      return true;
    }
    if (!allDigits(number) || (colon != std::string::npos && !allDigits(channel))) {
      explain = "keys are a number 0..127, or number:channel with a channel 1..16";
    } else if (std::stoi(number) > kLastNumber) {
      explain = "numbers go up to 127";
    } else if (colon != std::string::npos &&
               (std::stoi(channel) < 1 || std::stoi(channel) > kChannelCount)) {
      explain =
          "channels are 1..16 (key " + trimmedNumber(number) + " alone is the any-channel entry)";
    } else {
      const std::string meant =
          trimmedNumber(number) + (colon == std::string::npos ? "" : ":" + trimmedNumber(channel));
      explain = "the station reads " + meant;
    }
    return false;
  }
  if (name == kSequenceSection) {
    if (splitNumberedKey(key, kSequenceStem, first, second, hasSecond) && !hasSecond &&
        isStationKey(key, kSequenceStem, stepOfNumber(std::stoi(first)), -1)) {
      return true;
    }
    explain = "the station reads test1 .. test8";
    if (splitNumberedKey(key, kSequenceStem, first, second, hasSecond) && !hasSecond &&
        isStep(stepOfNumber(std::stoi(first)))) {
      explain = "the station reads test" + trimmedNumber(first);
    }
    return false;
  }
  if (name == kTextSection || name == kVideoSection) {
    const bool pages = name == kTextSection;
    const char* stem = pages ? kPageStem : kVideoStem;
    if (splitNumberedKey(key, stem, first, second, hasSecond)) {
      const int step = stepOfNumber(std::stoi(first));
      const int page = hasSecond ? std::stoi(second) : 0;
      const bool pageRead = pages ? page >= 1 && page <= kMaxPages : isAudioStep(step) && page >= 1;
      if (isStationKey(key, stem, step, hasSecond ? page - 1 : -1) &&
          (!hasSecond || (isPlainNumber(second, 1, 9999) && pageRead))) {
        return true;
      }
      if (!isStep(step)) {
        explain = std::string("steps are 1..8");
      } else if (hasSecond && !pageRead) {
        explain = pages ? "pages are 1..16" : "only steps 6 and 7 have a video per channel pair";
      } else {
        explain = "the station reads " + std::string(stem) + trimmedNumber(first) +
                  (hasSecond ? "_" + trimmedNumber(second) : std::string());
      }
      return false;
    }
    explain = pages ? "the station reads text<step> and text<step>_<page>"
                    : "the station reads video<step> and video<step>_<pair>";
    return false;
  }
  // The sections of fixed keys: [background] and [audio].
  if (schemaKey(name, key) != nullptr) {
    return true;
  }
  const std::vector<const char*> names = keysOfSection(name);
  if (names.size() == 1) {
    explain = "the station reads only " + std::string(names[0]) + " here";
    return false;
  }
  // The nearest of every key the section has, whatever its kind.
  const std::string meant = closest(key, names);
  explain = meant.empty() ? "the station does not read it" : "the station reads " + meant;
  return false;
}

void checkSettingsText(ModelCheck& model) {
  const IniDocument& ini = model.ini;
  const std::string markProblem = byteOrderMarkProblem(ini);
  if (!markProblem.empty()) {
    addFinding(model, Severity::Warning, "byte-order-mark", ini.sections[0].name, "", markProblem,
               1);
  }
  for (const IniDuplicateSection& duplicate : ini.duplicates) {
    addFinding(model, Severity::Warning, "section-duplicate", duplicate.name, "",
               "section appears again; the station reads only the one at line " +
                   std::to_string(duplicate.firstLine) + ", so the " +
                   std::to_string(duplicate.keyCount) + " keys here are never read",
               duplicate.line);
  }
  for (const IniSectionLines& section : ini.sections) {
    if (section.line == 0) {
      addFinding(model, Severity::Warning, "outside-section", "", "",
                 std::to_string(section.lines.size()) +
                     " lines stand above the first section header; the station never reads them",
                 section.lines.front().line);
      continue;
    }
    if (!isOneOf(section.name, kSettingSections)) {
      const std::string meant = closest(section.name, kSettingSections);
      addFinding(model, Severity::Warning, "section-unknown", section.name, "",
                 "section never read" +
                     (meant.empty() ? std::string() : ": did you mean [" + meant + "]?"),
                 section.line);
      continue;
    }
    checkSectionLines(model, section);
  }
}
