// Recording stand-ins for the Windows-side hooks that the portable logic calls: the main
// window, its text pane and title, the panel drawing, the MIDI output, the tick count and
// the report offer.
#ifndef TESTS_UNIT_FAKES_PLATFORM_FAKES_H
#define TESTS_UNIT_FAKES_PLATFORM_FAKES_H

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct PlatformFakes {
  // Every call in order, e.g. "repaint", "caption Continue...", "report", "destroy",
  // "title Velk Analyser - 1...", "drawNote 60", "drawController 5", "midi 0x00FF2C91";
  // the pane's text goes to paneTexts, with "text" in the log. Kept only while
  // recordDetails is set: a test with several threads leaves it off and reads the counts.
  std::vector<std::string> calls;
  std::vector<std::string> paneTexts;
  std::vector<uint32_t> sentMidi;
  std::atomic<bool> recordDetails{true};
  std::atomic<int> paneTextCount{0};
  std::atomic<int> drawCount{0};
  std::atomic<int> reportCount{0};
  std::atomic<uint32_t> tickCount{0};  // what systemTickCount() returns
};

extern PlatformFakes platformFakes;

// Forgets every recorded call and sets the tick count to 0; details are recorded again.
void resetPlatformFakes();
// How many recorded calls start with prefix.
int countCalls(const std::string& prefix);

#endif
