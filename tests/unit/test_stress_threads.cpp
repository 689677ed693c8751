// The MIDI callback thread against the window thread, with no lock between them: one thread
// feeds messages through the analysis while the other advances pages and steps, flashes
// receive notes and snapshots results. Run under the thread sanitizer, it must report no
// data race; the fakes count with relaxed atomics only, so they order nothing themselves.
#include <atomic>
#include <thread>

#include "run_state_fixture.h"

namespace {

constexpr int kMessages = 100000;
constexpr int kBatch = 250;

class StressThreadsTest : public RunStateTest {
 protected:
  void SetUp() override {
    RunStateTest::SetUp();
    writeTextKeys({"text2=link.txt", "text3=notes.txt", "text3_1=1,notes.txt",
                   "text3_2=2,notes.txt", "text4=knobs.txt", "text4_1=3,knobs.txt",
                   "text5_1=rx.txt", "text6=out.txt", "text7=in.txt"});
    writeFile("notes.txt", "Press every button.\r\n");
    writeFile("knobs.txt", "Turn every knob.\r\n");
    for (int number = 0; number < 8; ++number) {
      controlMap.noteDefined[number] = 1;
      controlMap.noteDefined[channelIndex(1, number)] = 1;
      controlMap.noteDefined[channelIndex(2, number)] = 1;
      controlMap.receiveFlag[number] = number % 2;
      controlMap.controllerDefined[number] = 1;
      controlMap.controllerDefined[channelIndex(3, number)] = 1;
    }
    asioFacts.outputCount.set(4);
    asioFacts.inputCount.set(4);
    settings.showmidichannels = 1;
    resetPageTables();
    platformFake.recordDetails = false;
  }
};

// A unit's traffic: clocks, presses and releases, sweeps and bends on channels 1 to 4, now
// and then a repeated note (loopback) and a start or stop.
uint32_t unitMessage(int k) {
  const uint32_t channel = static_cast<uint32_t>(k / 7 % 4);
  const uint32_t number = static_cast<uint32_t>(k / 3 % 8);
  const uint32_t sweep = static_cast<uint32_t>(k % 2 == 0 ? 0 : 127);
  switch (k % 9) {
    case 0:
    case 5:
      return 0xF8;
    case 1:
      return (0x90 | channel) | number << 8 | 100u << 16;
    case 2:
      return (0x80 | channel) | number << 8;
    case 3:
      return (0xB0 | channel) | number << 8 | sweep << 16;
    case 4:
      return (0xE0 | channel) | sweep << 16;
    case 6:
      return k % 1000 == 6 ? 0xFAu : (0x90 | channel) | number << 8 | 64u << 16;
    case 7:
      return (0xB0 | channel) | (number + 1) % 8 << 8 | (127 - sweep) << 16;
    default:
      return k % 500 == 8 ? unitMessage(k - 7) : (0x90 | channel) | number << 8;
  }
}

TEST_F(StressThreadsTest, MidiCallbackAgainstAdvancingSequence) {
  // The feeder waits for a round of the window thread after every batch, so the two keep
  // overlapping for the whole run; relaxed waits, so the waiting orders nothing either.
  std::atomic<int> rounds{0};
  std::atomic<bool> fed{false};
  std::thread midi([&rounds, &fed] {
    for (int k = 0; k < kMessages; ++k) {
      if (k % kBatch == 0) {
        const int seen = rounds.load(std::memory_order_relaxed);
        while (rounds.load(std::memory_order_relaxed) == seen) {
          std::this_thread::yield();
        }
      }
      analyseShortMessage(unitMessage(k), static_cast<uint32_t>(k) * 5u + 1u);
    }
    fed.store(true, std::memory_order_relaxed);
  });

  int round = 0;
  int runsFinished = 0;
  uint32_t tick = 1;
  while (!fed.load(std::memory_order_relaxed)) {
    platformFake.tickCount.store(tick += 101, std::memory_order_relaxed);
    noteReceiveTick();
    checkAutoAdvance();
    if (round % 3 == 0) {
      if (round % 2 == 0) {
        advanceByOperator();
      } else {
        advanceToNextPage();
      }
    }
    if (currentStep.get() == kFinishedStep) {
      EXPECT_FALSE(composeReport(nullptr).empty());
      ++runsFinished;
      resetSequence();
      clearResults();
    }
    rounds.store(++round, std::memory_order_relaxed);
  }
  midi.join();

  std::printf("%d window rounds, %d runs finished\n", round, runsFinished);
  EXPECT_GE(round, kMessages / kBatch);
  EXPECT_GT(runsFinished, 0);
  EXPECT_GT(platformFake.drawCount.load(), 0);
  EXPECT_GT(platformFake.paneTextCount.load(), 0);
}

}  // namespace
