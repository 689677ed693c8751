// Program-start audio state for the host and stream tests, with a fake driver installed
// as the open instance.
#ifndef TESTS_UNIT_AUDIO_FIXTURE_H
#define TESTS_UNIT_AUDIO_FIXTURE_H

#include <cstring>
#include <vector>

#include "app/reset_station.h"
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
    resetStation();
    asioHost.driver.set(&driver);
  }
  void TearDown() override { resetStation(); }

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
