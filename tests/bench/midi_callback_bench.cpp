// Throughput of the MIDI input analysis: messages analysed per second for the traffic of a
// unit under test (clocks, presses and releases, controller sweeps, pitch bends) on a page
// of the note test, once the controls have passed and while they are still passing.
#include <vector>

#include "app/reset_station.h"
#include "app/sequence.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "tests/fakes/platform_fake.h"

#include <benchmark/benchmark.h>

namespace {

std::vector<uint32_t> unitTraffic() {
  std::vector<uint32_t> words;
  for (uint32_t k = 0; k < 4096; ++k) {
    const uint32_t channel = k / 5 % 16;
    const uint32_t number = k * 7 % 128;
    const uint32_t value = k % 2 == 0 ? 0 : 127;
    switch (k % 6) {
      case 0:
        words.push_back(0xF8);
        break;
      case 1:
        words.push_back((0x90 | channel) | number << 8 | 100u << 16);
        break;
      case 2:
        words.push_back((0x80 | channel) | number << 8);
        break;
      case 3:
      case 4:
        words.push_back((0xB0 | channel) | number << 8 | value << 16);
        break;
      default:
        words.push_back((0xE0 | channel) | value << 16);
        break;
    }
  }
  return words;
}

void setUpNoteTestPage() {
  resetStation();
  resetPlatformFake();
  platformFake.recordDetails = false;
  for (int i = 0; i < kControlCount; i += 3) {
    controlMap.noteDefined[i] = 1;
    controlMap.controllerDefined[i] = 1;
  }
  currentStep.set(kStepNoteTest);
  currentPage.set(-1);
  setChannelFilter(false);
  resetPageTables();
}

void runTraffic(benchmark::State& state, bool resetEveryPass) {
  setUpNoteTestPage();
  const std::vector<uint32_t> words = unitTraffic();
  uint32_t timestamp = 1;
  for (auto _ : state) {
    if (resetEveryPass) {
      state.PauseTiming();
      resetPageTables();
      state.ResumeTiming();
    }
    for (const uint32_t word : words) {
      analyseShortMessage(word, timestamp += 5);
    }
    benchmark::ClobberMemory();
  }
  const auto analysed = static_cast<double>(state.iterations()) * words.size();
  state.SetItemsProcessed(static_cast<int64_t>(analysed));
  state.counters["messages_per_s"] = benchmark::Counter(analysed, benchmark::Counter::kIsRate);
}

// The steady state of a page: most controls have passed already.
void BM_AnalyseSteadyTraffic(benchmark::State& state) {
  runTraffic(state, false);
}
// Every pass starts from fresh page tables, so controls keep passing and being drawn.
void BM_AnalyseFreshPage(benchmark::State& state) {
  runTraffic(state, true);
}

BENCHMARK(BM_AnalyseSteadyTraffic);
BENCHMARK(BM_AnalyseFreshPage);

}  // namespace

BENCHMARK_MAIN();
