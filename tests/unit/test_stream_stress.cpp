// The driver's thread against the window thread, with no lock between them: one thread runs
// buffer switches while the other moves through the audio steps and pairs and lets the
// meters decay. Run under the thread sanitizer, it must report no data race.
#include <atomic>
#include <thread>

#include "audio_fixture.h"
#include "ui/panel.h"

namespace {

constexpr int kSwitches = 20000;

class StressAudioTest : public AudioTest {};

TEST_F(StressAudioTest, BufferSwitchesAgainstTheWindowThread) {
  setLoop({100, 20000, -300, 7000, 32767});
  stream(8, 8, 64, ASIOSTFloat32LSB);
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int k = 0; k < kSwitches; ++k) {
      bufferSwitchTimeInfo(nullptr, k & 1, 1);
    }
    done = true;
  });
  int ticks = 0;
  while (!done) {
    currentStep.set(kStepAudioOut + ticks % 3);  // output test, input test, closing page
    currentPair.set(ticks % 5);
    for (auto& level : asioFacts.inputLevels) {
      level.set(decayedLevel(level.get(), level.get()));
    }
    ++ticks;
  }
  audio.join();
  EXPECT_GT(ticks, 0);
  EXPECT_GE(loopPosition, 0);
  EXPECT_LT(loopPosition, 5);
}

}  // namespace
