// Program-start audio state for the host and stream tests, with a fake driver installed
// as the open instance.
#ifndef TESTS_UNIT_AUDIO_FIXTURE_H
#define TESTS_UNIT_AUDIO_FIXTURE_H

#include <cstring>
#include <vector>

#include "app/sequence.h"
#include "audio/asio_driver.h"
#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "audio/stream.h"
#include "fake_asio_driver.h"

#include <gtest/gtest.h>

class AudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetAudio();
    asioHost.driver.set(&driver);
  }
  void TearDown() override { resetAudio(); }

  static void resetAudio() {
    asioHost.driver.set(nullptr);
    asioHost.preferredBufferSize = 0;
    asioHost.inputLatency = asioHost.outputLatency = 0;
    asioHost.sampleRate = 0;
    std::memset(asioHost.bufferInfos, 0, sizeof asioHost.bufferInfos);
    std::memset(asioHost.channelInfos, 0, sizeof asioHost.channelInfos);
    asioHost.hostCallbacks = {};
    asioHost.audioRunning = false;
    asioHost.driverStarted = false;
    asioHost.abandonedRunning = false;
    asioFacts.inputCount.set(0);
    asioFacts.outputCount.set(0);
    for (auto& level : asioFacts.inputLevels) {
      level.set(0);
    }
    freeLoopSample();
    loopPosition = 0;
    currentStep.set(kStepOpening);
    currentPair.set(0);
  }

  static void setLoop(const std::vector<int32_t>& samples) {
    freeLoopSample();
    loopSample.leftSamples = new int32_t[samples.size()];
    std::memcpy(loopSample.leftSamples, samples.data(), samples.size() * sizeof(int32_t));
    loopSample.frameCount = static_cast<int32_t>(samples.size());
  }

  // Buffers from the fake driver, as the host creates them for streaming.
  void stream(int32_t inputs, int32_t outputs, int32_t frames, ASIOSampleType type) {
    driver.inputs = inputs;
    driver.outputs = outputs;
    driver.preferredSize = frames;
    driver.sampleType = type;
    ASSERT_EQ(ASE_OK, createAudioBuffers());
  }

  // Half-buffer `half` of host entry k (inputs first, then outputs).
  unsigned char* buffer(int k, int half = 0) {
    return static_cast<unsigned char*>(asioHost.bufferInfos[k].buffers[half]);
  }

  FakeAsioDriver driver;
};

#endif
