// The stream handlers set up for a large unit (32 inputs, 32 outputs, 64 frames: a 1.45 ms
// period at 44100 Hz) in the output test, for the native and the Windows buffer-switch
// benchmarks alike, so that their figures measure the same switch.
#ifndef TESTS_BENCH_LARGE_UNIT_STREAM_H
#define TESTS_BENCH_LARGE_UNIT_STREAM_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "base/run_position.h"
#include "base/steps.h"

constexpr int32_t kChannels = 32;
constexpr int32_t kFrames = 64;
constexpr int32_t kSampleBytes = 4;
constexpr size_t kHalfBytes = kFrames * kSampleBytes;
constexpr size_t kSwitchBytes = 2 * kChannels * kHalfBytes;  // every input and output half

inline void setUpLargeUnitStream(ASIOSampleType type) {
  static std::vector<int32_t> loop(44100);
  for (size_t i = 0; i < loop.size(); ++i) {
    loop[i] = static_cast<int32_t>((i * 7919) % 65536) - 32768;
  }
  loopSample = {static_cast<int32_t>(loop.size()), loop.data()};
  asioFacts.inputCount.set(kChannels);
  asioFacts.outputCount.set(kChannels);
  asioHost.preferredBufferSize = kFrames;
  static std::vector<unsigned char> storage(2 * kSwitchBytes);  // both halves of every channel
  for (int32_t k = 0; k < 2 * kChannels; ++k) {
    asioHost.channelInfos[k].type = type;
    for (int half = 0; half < 2; ++half) {
      asioHost.bufferInfos[k].buffers[half] = storage.data() + (2 * k + half) * kHalfBytes;
    }
  }
  // Inputs carry a signal, as a loopback would give them.
  for (size_t i = 0; i < storage.size(); ++i) {
    storage[i] = static_cast<unsigned char>(i * 31);
  }
  currentStep.set(kStepAudioOut);  // the output test: one pair plays, 30 outputs are silenced
  currentPair.set(3);
}

#endif
