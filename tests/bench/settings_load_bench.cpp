// The settings load through the native stand-in of the private-profile service, which the
// fuzz targets and unit tests go through for every input: a small model's file (about the
// demo model's size) and a full control map (2 x 2176 keys, about 72 KB).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/device_select.h"
#include "config/settings.h"

#include <benchmark/benchmark.h>

namespace {

std::string layoutLines() {
  return "[sequence]\r\ntest1=1\r\ntest5=0\r\n[background]\r\nWidth=1000\r\nHeight=760\r\n"
         "red_bitmap=m\\red.bmp\r\ngreen_bitmap=m\\green.bmp\r\noff_bitmap=m\\off.bmp\r\n"
         "meter_on=m\\on.bmp\r\nmeter_off=m\\off.bmp\r\ntext_window=48,426,640,272\r\n"
         "video_button=778,592,170,40\r\ncontinue_button=778,646,170,44\r\n"
         "[audio]\r\nloop=m\\loop.wav\r\n";
}

// Every [notes] and [controllers] key from index 0 up to count - 1.
std::string controlLines(int count) {
  std::string text;
  for (const char* section : {"notes", "controllers"}) {
    text += std::string("[") + section + "]\r\n";
    for (int index = 0; index < count; ++index) {
      char line[64];
      if (index < 128) {
        snprintf(line, sizeof line, "%d=%d,%d,30,20,1\r\n", index, index % 900, index / 3);
      } else {
        snprintf(line, sizeof line, "%d:%d=%d,%d,30,20,0\r\n", index % 128, index / 128,
                 index % 900, index / 3);
      }
      text += line;
    }
  }
  return text;
}

void loadSettingsFrom(benchmark::State& state, const std::string& content) {
  char pattern[] = "/tmp/velk-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = std::string(pattern) + "/settings.ini";
  std::ofstream(path, std::ios::binary) << content;
  snprintf(settingsPath, sizeof settingsPath, "%s", path.c_str());
  snprintf(exeFolder, sizeof exeFolder, "%s/", pattern);
  snprintf(asioDriverName, sizeof asioDriverName, "Velk ASIO");
  for (auto _ : state) {
    loadSettings();
    benchmark::ClobberMemory();
  }
  std::filesystem::remove_all(pattern);
}

void BM_LoadSettingsSmallModel(benchmark::State& state) {
  loadSettingsFrom(state, layoutLines() + controlLines(60));
}

void BM_LoadSettingsFullMap(benchmark::State& state) {
  loadSettingsFrom(state, layoutLines() + controlLines(2176));
}

}  // namespace

BENCHMARK(BM_LoadSettingsSmallModel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSettingsFullMap)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
