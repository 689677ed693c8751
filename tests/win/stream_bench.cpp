// Under Wine, for each Windows build: one buffer switch of the stream handlers for a large
// unit (32 inputs, 32 outputs, 64 frames: a 1.45 ms period at 44100 Hz) in the output test,
// beside a plain memcpy of the same bytes. The 32-bit build converts samples with other
// instructions than the 64-bit one; this puts the two side by side. Prints figures only.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "audio/stream.h"
#include "tests/bench/large_unit_stream.h"

namespace {

constexpr double kPeriodNs = 1e9 * kFrames / 44100.0;
constexpr int kSwitches = 200000;

template <typename Body>
double nanosecondsPerRun(Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kSwitches; ++i) {
    body(i);
  }
  const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / kSwitches;
}

void report(const char* what, double ns) {
  std::printf("%-28s %8.0f ns per switch, %5.2f%% of the period, %6.0f MB/s\n", what, ns,
              100.0 * ns / kPeriodNs, kSwitchBytes / ns * 1e3);
}

}  // namespace

int main() {
  std::printf("buffer switch, %d-bit build: %d in, %d out, %d frames\n",
              static_cast<int>(8 * sizeof(void*)), kChannels, kChannels, kFrames);
  for (const auto& [type, name] :
       {std::pair{ASIOSTInt32LSB, "Int32LSB"}, std::pair{ASIOSTFloat32LSB, "Float32LSB"}}) {
    setUpLargeUnitStream(type);
    report(name, nanosecondsPerRun([](int i) { bufferSwitchTimeInfo(nullptr, i & 1, 1); }));
  }
  std::vector<unsigned char> from(kSwitchBytes, 1), to(kSwitchBytes);
  volatile unsigned char sink = 0;
  report("memcpy of the same bytes", nanosecondsPerRun([&](int i) {
           from[0] = static_cast<unsigned char>(i);
           std::memcpy(to.data(), from.data(), kSwitchBytes);
           sink = to[kSwitchBytes - 1];
         }));
  (void)sink;
  loopSample = {0, nullptr};  // the loop is this program's own storage
  return 0;
}
