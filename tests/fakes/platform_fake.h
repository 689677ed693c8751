// The one stand-in for the platform hooks (base/platform_hooks.h) wherever the portable code
// runs without the station's windows: the unit tests, the fuzz targets, the benchmarks, the
// model checker and the results tool. It records and counts what it is handed and checks
// what the station's own hooks rely on: a control index inside the map, a drawn control
// already passed, texts that fit the windows' buffers.
//
// It lives under tests/ as every stand-in does, in a folder that every toolchain builds
// (the top CMakeLists.txt adds it, not tests/CMakeLists.txt): the checker and the results
// tool link it too, and a Windows build by another compiler than MinGW skips the rest of
// tests/.
#ifndef TESTS_FAKES_PLATFORM_FAKE_H
#define TESTS_FAKES_PLATFORM_FAKE_H

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct PlatformFake {
  // Every call in order, e.g. "repaint", "caption Continue...", "report", "destroy",
  // "title Velk Analyser - 1...", "drawNote 60", "drawController 5", "midi 0x00FF2C91";
  // the pane's text goes to paneTexts and the title to titles, with "text" and "title ..."
  // in the log. Kept only while recordDetails is set: a test with several threads leaves
  // it off and reads the counts.
  std::vector<std::string> calls;
  std::vector<std::string> paneTexts;
  std::vector<std::string> titles;
  std::vector<uint32_t> sentMidi;
  std::atomic<bool> recordDetails{true};
  std::atomic<int> paneTextCount{0};
  std::atomic<int> titleCount{0};
  std::atomic<int> drawCount{0};
  std::atomic<int> reportCount{0};
  std::atomic<int> audioWarningCount{0};
  std::atomic<uint32_t> tickCount{0};  // what systemTickCount() returns
  // Calls that broke what the station's hooks rely on (see the top of this file).
  std::atomic<int> violationCount{0};
};

extern PlatformFake platformFake;

// Called with a description at every broken expectation, when set; the fuzz targets end the
// run there. A plain pointer, so that it is set before any program's own initialisers run.
extern void (*platformFakeViolation)(const char* what);

// Forgets every recorded call and count and sets the tick count to 0; details are recorded
// again. platformFakeViolation is kept.
void resetPlatformFake();
// How many recorded calls start with prefix.
int countCalls(const std::string& prefix);

#endif
