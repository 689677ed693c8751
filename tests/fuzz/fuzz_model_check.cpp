// The model checker's own readers over a model folder made of the input: the settings file,
// the three panel pictures, a meter picture (both meters), the loop WAV, a text page and
// the launcher file, in that order. The checker runs to the end on any bytes; its INI
// document agrees with the private-profile service on every value it places on a line; the
// pictures it loads hold their pixels; the JSON of the run dumps and reads back the same.
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "check/bmp_image.h"
#include "check/check_run.h"
#include "check/ini_document.h"
#include "check/report_json.h"
#include "check/wave_layout.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "fuzz_support.h"

namespace {

const char* const kModelFiles[] = {"VelkDJ2/VelkDJ2.ini",   "VelkDJ2/panel_off.bmp",
                                   "VelkDJ2/panel_red.bmp", "VelkDJ2/panel_green.bmp",
                                   "VelkDJ2/meter_on.bmp",  "VelkDJ2/loop.wav",
                                   "VelkDJ2/text3.txt",     "Velk Analyser.ini"};
constexpr size_t kParts = sizeof kModelFiles / sizeof kModelFiles[0];

// Every key line the document says the service reads gives the service's value, and lines
// are numbered within the file.
void checkDocument(const std::string& path) {
  const IniDocument document = readIniDocument(path);
  FUZZ_CHECK(document.readable);
  for (const IniSectionLines& section : document.sections) {
    int previous = section.line;
    for (const IniLine& line : section.lines) {
      FUZZ_CHECK(line.line > previous && line.line <= document.lineCount);
      previous = line.line;
    }
    // The lines above the first header, and a header without a name, are not asked for.
    if (section.name.empty()) {
      continue;
    }
    for (const auto& [folded, position] : section.firstOf) {
      const IniLine& line = section.lines[position];
      if (line.key.empty()) {
        continue;
      }
      char expected[128], read[128];
      copyProfileValue(line.hasEquals ? line.value : "", expected, sizeof expected);
      readProfileString(path.c_str(), section.name.c_str(), line.key.c_str(), read, sizeof read);
      FUZZ_CHECK(std::string(expected) == read);
    }
  }
}

void checkPicture(const std::string& path) {
  const BmpImage image = readBmpFile(path);
  if (!image.loaded) {
    FUZZ_CHECK(image.pixels.empty());
    return;
  }
  FUZZ_CHECK(image.width > 0 && image.height > 0);
  FUZZ_CHECK(image.pixels.size() == static_cast<size_t>(image.width) * image.height);
  for (const uint32_t pixel : image.pixels) {
    FUZZ_CHECK(pixel <= 0xFFFFFF);
  }
  for (const int bits : image.channelBits) {
    FUZZ_CHECK(bits >= 1 && bits <= 8);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, kParts);
  std::filesystem::create_directories(scratchFolder() + "VelkDJ2");
  for (size_t i = 0; i < kParts; ++i) {
    writeScratchFile(kModelFiles[i], parts[i]);
  }
  const std::string settings = scratchFolder() + kModelFiles[0];
  const std::string launcher = scratchFolder() + kModelFiles[kParts - 1];
  checkDocument(settings);
  checkDocument(launcher);
  for (size_t i = 1; i <= 4; ++i) {
    checkPicture(scratchFolder() + kModelFiles[i]);
  }
  const WaveFacts wave = readWaveFacts(scratchFolder() + kModelFiles[5]);
  FUZZ_CHECK(wave.dataHeld <= wave.dataBytes);

  FindingList findings;
  nlohmann::json models = nlohmann::json::array();
  CheckOptions options;
  options.path = launcher;
  const bool ran = runCheck(options, findings, [&](ModelCheck& model, size_t first) {
    FUZZ_CHECK(first <= findings.items.size());
    models.push_back(modelJson(model));
  });
  FUZZ_CHECK(ran);
  for (const Finding& finding : findings.items) {
    FUZZ_CHECK(finding.line >= 0 && !finding.check.empty());
  }
  const nlohmann::json run = runJson(launcher, findings, models);
  const std::string text = run.dump(1);
  FUZZ_CHECK(nlohmann::json::parse(text) == run);
  FUZZ_CHECK(run["findings"].size() == findings.items.size());
  return 0;
}
