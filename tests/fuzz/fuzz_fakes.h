// Stand-ins for the Windows-side hooks the portable logic calls. They check what they are
// handed (control indexes in the map, texts terminated within their buffers) and count.
#ifndef TESTS_FUZZ_FUZZ_FAKES_H
#define TESTS_FUZZ_FUZZ_FAKES_H

#include <cstdint>
#include <string>

struct FuzzFakes {
  int audioWarnings = 0;
  int titles = 0;
  int paneTexts = 0;
  int draws = 0;
  std::string lastTitle;
  std::string lastPaneText;
  uint32_t tickCount = 0;
};

extern FuzzFakes fuzzFakes;

void resetFuzzFakes();

#endif
