// What a WAV file holds, in words an author can act on, for when the station's loader
// refuses it or will play it at the wrong speed. The file is walked by the loader's own walk.
#ifndef CHECK_WAVE_LAYOUT_H
#define CHECK_WAVE_LAYOUT_H

#include <cstdint>
#include <string>

struct WaveFacts {
  uint32_t sampleRate = 0;
  uint32_t dataBytes = 0;  // what the "data" chunk's header says it holds
  size_t dataHeld = 0;     // what the file holds of it
  std::string problem;     // why the station would not play it; empty when it plays
};

WaveFacts readWaveFacts(const std::string& path);

#endif
