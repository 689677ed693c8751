// Figures only: how long a check takes for the demo model and for a full control map
// (2 x 2176 entries, every channel on a page of its own, pictures lit in every cell).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/steps.h"
#include "check/check_run.h"
#include "check/model_check.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCellWidth = 7, kCellHeight = 23;
constexpr int kWidth = 128 * kCellWidth, kHeight = 17 * kCellHeight;

void writeBitmap(const fs::path& path, int width, int height, uint32_t background, uint32_t lit) {
  const int row = (width * 3 + 3) & ~3;
  std::vector<unsigned char> image(static_cast<size_t>(row) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inCell = lit != background && x % kCellWidth > 0 && y % kCellHeight > 0;
      const uint32_t colour = inCell ? lit : background;
      unsigned char* p = &image[static_cast<size_t>(height - 1 - y) * row + x * 3];
      p[0] = colour & 0xFF, p[1] = (colour >> 8) & 0xFF, p[2] = (colour >> 16) & 0xFF;
    }
  }
  const uint32_t size = 54 + static_cast<uint32_t>(image.size());
  unsigned char header[54] = {'B', 'M'};
  const auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      header[at + i] = (v >> (8 * i)) & 0xFF;
    }
  };
  put32(2, size), put32(10, 54), put32(14, 40), put32(18, width), put32(22, height);
  header[26] = 1, header[28] = 24;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
}

// A station folder with a launcher file and a model whose every control index is defined.
fs::path writeFullMap() {
  const fs::path root = fs::temp_directory_path() / "velk-check-bench";
  fs::remove_all(root);
  fs::create_directories(root / "Full");
  std::ofstream(root / "Velk Analyser.ini", std::ios::binary)
      << "[midi]\r\nVelk Full=Full\r\n[Full]\r\nsettings=Full\\Full.ini\r\naudio=\r\n";
  writeBitmap(root / "Full" / "off.bmp", kWidth, kHeight, 0x303030, 0x303030);
  writeBitmap(root / "Full" / "red.bmp", kWidth, kHeight, 0x303030, 0xE81818);
  writeBitmap(root / "Full" / "green.bmp", kWidth, kHeight, 0x303030, 0x18C830);
  writeBitmap(root / "Full" / "meter.bmp", 20, 100, 0x101010, 0x101010);
  std::ofstream ini(root / "Full" / "Full.ini", std::ios::binary);
  ini << "[sequence]\r\ntest6=0\r\ntest7=0\r\n[background]\r\nWidth=1000\r\nHeight=760\r\n"
      << "off_bitmap=Full\\off.bmp\r\nred_bitmap=Full\\red.bmp\r\ngreen_bitmap=Full\\green.bmp\r\n"
      << "meter_on=Full\\meter.bmp\r\nmeter_off=Full\\meter.bmp\r\nBitmap_left=10\r\n"
      << "Bitmap_top=10\r\ntext_window=10,420,600,200\r\nvideo_button=700,600,150,30\r\n"
      << "continue_button=700,650,150,30\r\n";
  for (const char* section : {kNotesSection, kControllersSection}) {
    ini << "[" << section << "]\r\n";
    for (int index = 0; index < kControlCount; ++index) {
      const int x = numberOfIndex(index) * kCellWidth, y = channelOfIndex(index) * kCellHeight;
      char key[16];
      controlEntryKey(index, key, sizeof key);
      ini << key << "=" << x << "," << y << "," << kCellWidth << "," << kCellHeight
          << (section[0] == 'n' ? ",1" : "") << "\r\n";
    }
  }
  ini << "[text]\r\n";
  // Every page of the note and controller tests, and the LED test's own text.
  for (int step = kStepNoteTest; step <= kStepNoteRxTest; ++step) {
    ini << numberedKeyText(kPageStem, step, -1) << "=Full\\page.txt\r\n";
    for (int page = 1; step != kStepNoteRxTest && page <= 16; ++page) {
      ini << numberedKeyText(kPageStem, step, page - 1) << "=" << page << ",Full\\page.txt\r\n";
    }
  }
  std::ofstream(root / "Full" / "page.txt", std::ios::binary) << "Press every control.\r\n";
  return root;
}

void measure(const char* what, const std::string& path) {
  constexpr int kRuns = 5;
  double best = 1e9, total = 0;
  size_t count = 0;
  for (int run = 0; run < kRuns; ++run) {
    FindingList findings;
    const auto start = std::chrono::steady_clock::now();
    runCheck(CheckOptions{path, ""}, findings, [](ModelCheck&, size_t) {});
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = ms < best ? ms : best;
    total += ms;
    count = findings.items.size();
  }
  std::printf("velk-check %-40s best %8.1f ms, mean %8.1f ms over %d runs (%zu findings)\n", what,
              best, total / kRuns, kRuns, count);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path source = fs::path(argc > 1 ? argv[1] : ".");
  measure("demo model (81 controls)", (source / "demo" / "Velk Analyser.ini").string());
  const fs::path full = writeFullMap();
  measure("full map (2 x 2176 entries, 33 pages)", (full / "Velk Analyser.ini").string());
  fs::remove_all(full);
  return 0;
}
