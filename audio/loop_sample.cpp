#include "audio/loop_sample.h"

#include <cstdio>
#include <new>

#include "audio/wave_chunks.h"

LoopSample loopSample;

constexpr size_t kReadBlock = 1024;

static uint16_t readLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Keeps the first channel of every whole frame read; returns the frames stored.
static int32_t readFirstChannel(FILE* file, int frameBytes, int32_t capacity) {
  unsigned char block[kReadBlock];
  const size_t framesPerBlock = kReadBlock / frameBytes;
  int32_t stored = 0;
  while (stored < capacity) {
    const size_t wanted = static_cast<size_t>(capacity - stored);
    const size_t got =
        std::fread(block, frameBytes, wanted < framesPerBlock ? wanted : framesPerBlock, file);
    for (size_t i = 0; i < got; ++i) {
      loopSample.leftSamples[stored++] = static_cast<int16_t>(readLe16(block + i * frameBytes));
    }
    if (got == 0) {
      break;
    }
  }
  return stored;
}

static void loadFrom(FILE* file) {
  const WaveChunks chunks = walkWaveChunks(file);
  if (chunks.refusal != WaveRefusal::None) {
    return;
  }
  // Never allocate for more frames than the file holds: a short file keeps what it has.
  const int32_t capacity = static_cast<int32_t>(chunks.dataHeld / chunks.frameBytes);
  loopSample.leftSamples = new (std::nothrow) int32_t[capacity];
  if (loopSample.leftSamples == nullptr) {
    return;
  }
  loopSample.frameCount = readFirstChannel(file, chunks.frameBytes, capacity);
}

void loadLoopSample(const char* path) {
  freeLoopSample();
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return;
  }
  loadFrom(file);
  std::fclose(file);
}

void freeLoopSample() {
  delete[] loopSample.leftSamples;
  loopSample = {0, nullptr};
}
