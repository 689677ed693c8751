// The files a model names: the five bitmaps (loaded as the station loads them), the loop
// sample (loaded by the station's own loader), the text pages and the videos.
#include "check/check_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "audio/loop_sample.h"
#include "base/steps.h"
#include "check/check_settings_text.h"
#include "check/model_check.h"
#include "check/wave_layout.h"
#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/page_keys.h"
#include "config/profile.h"
#include "config/settings_schema.h"

namespace {

struct BitmapSlot {
  const char* caption;  // the station's message box caption when it cannot load the file
  BmpImage ModelCheck::*image;
  char (Settings::*path)[kPathCapacity];
};

// The station's load order: it stops at the first that fails.
const BitmapSlot kBitmaps[] = {
    {"Error opening screen background", &ModelCheck::off, &Settings::offBitmap},
    {"Error opening screen background", &ModelCheck::red, &Settings::redBitmap},
    {"Error opening screen background", &ModelCheck::green, &Settings::greenBitmap},
    {"Error opening meter bitmap", &ModelCheck::meterOn, &Settings::meterOn},
    {"Error opening meter bitmap", &ModelCheck::meterOff, &Settings::meterOff},
};

// The value as written of the fixed key that fills a path field.
std::string rawValue(const ModelCheck& model, const SettingKey& key) {
  const IniLine* line = findKey(model.ini, key.section, key.key);
  if (line == nullptr) {
    return "";
  }
  char value[kValueCapacity];
  copyProfileValue(line->value, value, sizeof value);
  return value;
}

std::string sizeText(const BmpImage& image) {
  return std::to_string(image.width) + " x " + std::to_string(image.height);
}

void checkBitmaps(ModelCheck& model) {
  for (const BitmapSlot& slot : kBitmaps) {
    const SettingKey& key = settingKeyOf(slot.path);
    BmpImage& image = model.*slot.image;
    const std::string stationPath = model.loaded.*slot.path;
    const std::string value = rawValue(model, key);
    const std::string stops =
        "the station stops at start-up with \"" + std::string(slot.caption) + "\"";
    if (value.empty()) {
      addFinding(model, Severity::Error, "bitmap-missing", key.section, key.key,
                 "no bitmap named: " + stops);
      continue;
    }
    image = readBmpFile(openablePath(stationPath));
    if (!image.found) {
      addFinding(model, Severity::Error, "bitmap-missing", key.section, key.key,
                 displayPath(model.folder, stationPath) + " not found: " + stops);
    } else if (!image.loaded) {
      addFinding(model, Severity::Error, "bitmap-unreadable", key.section, key.key,
                 displayPath(model.folder, stationPath) + " does not load: " + image.problem +
                     "; " + stops);
    }
  }
  const BmpImage& off = model.off;
  for (const BitmapSlot& slot : {kBitmaps[1], kBitmaps[2]}) {  // red and green
    const BmpImage& image = model.*slot.image;
    const SettingKey& key = settingKeyOf(slot.path);
    if (off.loaded && image.loaded && (image.width != off.width || image.height != off.height)) {
      addFinding(model, Severity::Error, "panel-size", key.section, key.key,
                 "picture is " + sizeText(image) + ", the unlit panel " + sizeText(off) +
                     ": the three panel pictures must share one size");
    }
  }
  if (!stepEnabled(model, kStepAudioIn)) {
    return;  // the meters show only in the audio input step
  }
  const BmpImage& on = model.meterOn;
  const BmpImage& unlit = model.meterOff;
  const SettingKey& meterOnKey = settingKeyOf(&Settings::meterOn);
  const SettingKey& meterOffKey = settingKeyOf(&Settings::meterOff);
  if (on.loaded && unlit.loaded && (on.width != unlit.width || on.height != unlit.height)) {
    addFinding(model, Severity::Error, "meter-size", meterOnKey.section, meterOnKey.key,
               "picture is " + sizeText(on) + ", meter_off " + sizeText(unlit) +
                   ": the two meter pictures must share one size");
  } else if (unlit.loaded && unlit.width < 20) {
    addFinding(model, Severity::Warning, "meter-narrow", meterOffKey.section, meterOffKey.key,
               "picture is " + std::to_string(unlit.width) +
                   " pixels wide; the station draws each meter 20 pixels wide");
  }
}

// The audio steps play the loop only when the profile names a driver and a step is left on.
void checkLoop(ModelCheck& model) {
  if (!stepEnabled(model, kStepAudioOut) && !stepEnabled(model, kStepAudioIn)) {
    return;
  }
  const SettingKey& key = settingKeyOf(&Settings::loopPath);
  const std::string value = rawValue(model, key);
  const std::string stationPath = model.loaded.loopPath;
  if (value.empty()) {
    addFinding(model, Severity::Error, "loop-missing", key.section, key.key,
               "no loop sample named: the audio steps play nothing");
    return;
  }
  const std::string shown = displayPath(model.folder, stationPath);
  const std::string path = openablePath(stationPath);
  if (!isRegularFile(path)) {
    addFinding(model, Severity::Error, "loop-missing", key.section, key.key,
               shown + " not found: the audio steps play nothing");
    return;
  }
  loadLoopSample(path.c_str());
  const bool plays = loopSample.frameCount > 0;
  freeLoopSample();
  const WaveFacts facts = readWaveFacts(path);
  if (!plays) {
    addFinding(model, Severity::Error, "loop-layout", key.section, key.key,
               shown + " does not play: " + facts.problem);
  } else if (facts.dataHeld < facts.dataBytes) {
    addFinding(model, Severity::Warning, "loop-short", key.section, key.key,
               shown + " is cut short: its data chunk says " + std::to_string(facts.dataBytes) +
                   " bytes, the file holds " + std::to_string(facts.dataHeld) +
                   " of them; the station loops only those");
  } else if (facts.sampleRate != 44100) {
    addFinding(model, Severity::Warning, "loop-rate", key.section, key.key,
               shown + " is recorded at " + std::to_string(facts.sampleRate) +
                   " Hz; the station plays it at 44100 Hz");
  }
}

std::vector<unsigned char> readBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
}

int lineAtByte(const std::vector<unsigned char>& bytes, size_t end) {
  int line = 1;
  for (size_t i = 0; i < end && i < bytes.size(); ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

constexpr size_t kPaneBytes = 1024;  // what the pane shows of a file

void checkTextFile(ModelCheck& model, const std::string& path, const std::string& shown) {
  const std::vector<unsigned char> bytes = readBytes(path);
  // The pane shows ANSI text up to the first zero byte: Notepad's "Unicode" (UTF-16) shows
  // as its two mark bytes and one letter.
  const bool utf16 = bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) ||
                                           (bytes[0] == 0xFE && bytes[1] == 0xFF));
  if (utf16) {
    addFinding(model, Severity::Warning, "text-encoding", "", "",
               "the file is UTF-16 (Notepad's \"Unicode\"): the pane shows two odd letters and "
               "stops at the first zero byte; save it as ANSI",
               1, shown);
    return;
  }
  const auto shownEnd = bytes.begin() + static_cast<long>(std::min(bytes.size(), kPaneBytes));
  const auto zero = std::find(bytes.begin(), shownEnd, 0);
  if (zero != shownEnd) {
    const size_t at = static_cast<size_t>(zero - bytes.begin());
    addFinding(model, Severity::Warning, "text-encoding", "", "",
               "a zero byte (at byte " + std::to_string(at) +
                   ") ends the text: the pane shows nothing after it",
               lineAtByte(bytes, at), shown);
  }
  if (bytes.size() > kPaneBytes) {
    addFinding(model, Severity::Warning, "text-long", "", "",
               "the pane shows only the first 1024 bytes; the text is cut here (the file has " +
                   std::to_string(bytes.size()) + " bytes)",
               lineAtByte(bytes, kPaneBytes), shown);
  }
  int bare = 0, firstBareLine = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool loneLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    const bool loneCr = bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n');
    if (loneLf || loneCr) {
      if (bare++ == 0) {
        firstBareLine = lineAtByte(bytes, i);
      }
    }
  }
  if (bare > 0) {
    addFinding(model, Severity::Warning, "text-lf", "", "",
               "line ends without CR LF (" + std::to_string(bare) +
                   " in the file): the pane runs such lines together",
               firstBareLine, shown);
  }
}

// A configured text or video path as the station resolves it; false when it names what the
// checker cannot look at (a network path, a scheme-like value) or when it does not fit.
bool resolveExtended(std::string value, std::string& stationPath) {
  char path[kPathCapacity];
  std::snprintf(path, sizeof path, "%s", value.c_str());
  const size_t length = std::strlen(path);
  if ((length >= 1 && path[0] == '\\' && !isRootedPath(path)) || (length >= 5 && path[4] == ':')) {
    return false;
  }
  if (!makeAbsolutePath(path, sizeof path, PathForm::Extended)) {
    return false;
  }
  stationPath = path;
  return true;
}

// How a finding names a configured file the station does not find.
std::string missingText(const ModelCheck& model, const std::string& stationPath) {
  return displayPath(model.folder, stationPath) +
         (isRootedPath(stationPath) ? " (at the root of the station's drive, not in its folder)"
                                    : "") +
         " not found";
}

void checkTextPages(ModelCheck& model) {
  const IniSectionLines* text = findSection(model.ini, kTextSection);
  if (text == nullptr) {
    return;
  }
  std::set<std::string> seen;
  for (const IniLine& line : text->lines) {
    std::string explain;
    if (!line.hasEquals || text->firstOf.at(foldProfileCase(line.key)) !=
                               static_cast<size_t>(&line - text->lines.data())) {
      continue;
    }
    char value[kValueCapacity];
    copyProfileValue(line.value, value, sizeof value);
    if (value[0] == '\0' || !isReadKey(kTextSection, line.key, explain)) {
      continue;
    }
    std::string file = value;
    if (pagePrefixNumber(value) != 0) {
      file = std::strchr(value, ',') + 1;
    }
    std::string stationPath;
    if (!resolveExtended(file, stationPath)) {
      continue;
    }
    const std::string path = openablePath(stationPath);
    const std::string shown = displayPath(model.folder, stationPath);
    if (!isRegularFile(path)) {
      addFinding(model, Severity::Warning, "text-missing", kTextSection, line.key,
                 missingText(model, stationPath) + ": the pane stays empty on this page",
                 line.line);
    } else if (seen.insert(path).second) {
      checkTextFile(model, path, shown);
    }
  }
}

void checkVideos(ModelCheck& model) {
  const IniSectionLines* video = findSection(model.ini, kVideoSection);
  if (video == nullptr) {
    return;
  }
  for (size_t i = 0; i < video->lines.size(); ++i) {
    const IniLine& line = video->lines[i];
    std::string explain;
    if (!line.hasEquals || video->firstOf.at(foldProfileCase(line.key)) != i ||
        !isReadKey(kVideoSection, line.key, explain)) {
      continue;
    }
    char value[kValueCapacity];
    copyProfileValue(line.value, value, sizeof value);
    std::string stationPath;
    if (value[0] == '\0' || !resolveExtended(value, stationPath)) {
      continue;
    }
    if (!isRegularFile(openablePath(stationPath))) {
      addFinding(model, Severity::Warning, "video-missing", kVideoSection, line.key,
                 missingText(model, stationPath) + ": the video button starts nothing here",
                 line.line);
    }
  }
}

}  // namespace

void checkFiles(ModelCheck& model) {
  checkBitmaps(model);
  checkLoop(model);
  checkTextPages(model);
  checkVideos(model);
}
