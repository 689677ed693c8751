// One buffer switch of the stream handlers for a large unit (32 inputs, 32 outputs, 64
// frames: a 1.45 ms period at 44100 Hz) in the output test, beside a plain memcpy of the
// same bytes. The handler should take under 2% of the period and stay within 5x of memcpy.
#include <cstring>
#include <vector>

#include "app/sequence.h"
#include "audio/asio_driver.h"
#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "audio/stream.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kChannels = 32;
constexpr int32_t kFrames = 64;
constexpr int32_t kSampleBytes = 4;
constexpr size_t kHalfBytes = kFrames * kSampleBytes;
constexpr size_t kSwitchBytes = 2 * kChannels * kHalfBytes;  // every input and output half

std::vector<unsigned char> storage(2 * kSwitchBytes);

void setUpStream(ASIOSampleType type) {
  static std::vector<int32_t> loop(44100);
  for (size_t i = 0; i < loop.size(); ++i) {
    loop[i] = static_cast<int32_t>((i * 7919) % 65536) - 32768;
  }
  loopSample = {static_cast<int32_t>(loop.size()), loop.data()};
  asioFacts.inputCount.set(kChannels);
  asioFacts.outputCount.set(kChannels);
  asioHost.preferredBufferSize = kFrames;
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

void bufferSwitchOf(benchmark::State& state, ASIOSampleType type) {
  setUpStream(type);
  int32_t index = 0;
  for (auto _ : state) {
    bufferSwitchTimeInfo(nullptr, index, 1);
    index ^= 1;
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSwitchBytes);
  loopSample = {0, nullptr};  // the loop is the benchmark's own static storage
}

void BM_BufferSwitchInt32LSB(benchmark::State& state) {
  bufferSwitchOf(state, ASIOSTInt32LSB);
}
void BM_BufferSwitchFloat32LSB(benchmark::State& state) {
  bufferSwitchOf(state, ASIOSTFloat32LSB);
}

void BM_MemcpySameBytes(benchmark::State& state) {
  std::vector<unsigned char> from(kSwitchBytes, 1), to(kSwitchBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kSwitchBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSwitchBytes);
}

BENCHMARK(BM_BufferSwitchInt32LSB);
BENCHMARK(BM_BufferSwitchFloat32LSB);
BENCHMARK(BM_MemcpySameBytes);

}  // namespace

BENCHMARK_MAIN();
