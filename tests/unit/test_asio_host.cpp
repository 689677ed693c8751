// The host's driver operations against a scripted driver: probing, opening at 44100 Hz,
// creating buffers (with more channels than the tables hold), stopping and releasing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio_fixture.h"

namespace {

using Calls = std::vector<std::string>;

TEST_F(AudioTest, ProbeLearnsCountsBufferSizeAndChannelTypes) {
  driver.inputs = 4;
  driver.outputs = 6;
  driver.preferredSize = 256;
  driver.sampleType = ASIOSTInt24LSB;
  EXPECT_TRUE(probeDriver(nullptr));
  EXPECT_EQ((Calls{"init", "getChannels", "getBufferSize"}), driver.calls);
  EXPECT_EQ(4, asioFacts.inputCount.get());
  EXPECT_EQ(6, asioFacts.outputCount.get());
  EXPECT_EQ(256, asioHost.preferredBufferSize);
  ASSERT_EQ(10u, driver.channelQueries.size());
  EXPECT_EQ(1, driver.channelQueries[3].isInput);
  EXPECT_EQ(3, driver.channelQueries[3].channel);
  EXPECT_EQ(0, driver.channelQueries[4].isInput);
  EXPECT_EQ(0, driver.channelQueries[4].channel);
  EXPECT_EQ(5, driver.channelQueries[9].channel);
  EXPECT_EQ(ASIOSTInt24LSB, asioHost.channelInfos[9].type);
}

TEST_F(AudioTest, ProbeFailuresLeaveNoChannels) {
  auto probeFails = [this](auto breakDriver) {
    driver = FakeAsioDriver();
    breakDriver(driver);
    asioFacts.inputCount.set(5);
    asioFacts.outputCount.set(5);
    const bool probed = probeDriver(nullptr);
    return !probed && asioFacts.inputCount.get() == 0 && asioFacts.outputCount.get() == 0;
  };
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.initResult = 0; }));
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.channelsResult = ASE_NotPresent; }));
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.inputs = d.outputs = 0; }));
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.bufferSizeResult = ASE_NotPresent; }));
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.preferredSize = 0; }));
  EXPECT_TRUE(probeFails([](FakeAsioDriver& d) { d.preferredSize = -64; }));
}

TEST_F(AudioTest, ChannelsBeyondTheTablesAreNeverQueriedOrUsed) {
  driver.inputs = 100;
  driver.outputs = 70;
  EXPECT_TRUE(probeDriver(nullptr));
  EXPECT_EQ(32, asioFacts.inputCount.get());
  EXPECT_EQ(32, asioFacts.outputCount.get());
  EXPECT_EQ(64u, driver.channelQueries.size());

  driver.inputs = -3;  // nonsense from a driver reads as none
  driver.outputs = 2;
  EXPECT_TRUE(probeDriver(nullptr));
  EXPECT_EQ(0, asioFacts.inputCount.get());
  EXPECT_EQ(2, asioFacts.outputCount.get());
}

TEST_F(AudioTest, OpeningAtTheRunningRateAsksNothingMore) {
  EXPECT_EQ(0, initDriverAtRate(nullptr, 44100.0));
  EXPECT_EQ((Calls{"init", "getSampleRate"}), driver.calls);
  EXPECT_EQ(44100.0, asioHost.sampleRate);
}

TEST_F(AudioTest, OpeningSwitchesTheRateWhenItDiffersOrIsUnknown) {
  driver.currentRate = 48000.0;
  EXPECT_EQ(0, initDriverAtRate(nullptr, 44100.0));
  EXPECT_EQ((Calls{"init", "getSampleRate", "canSampleRate", "setSampleRate"}), driver.calls);
  EXPECT_EQ(44100.0, asioHost.sampleRate);

  driver.calls.clear();
  driver.sampleRateResult = ASE_NotPresent;  // 44100 reported, but the query failed
  EXPECT_EQ(0, initDriverAtRate(nullptr, 44100.0));
  EXPECT_EQ(1, driver.count("setSampleRate"));
}

TEST_F(AudioTest, OpeningFailsWhenTheRateCannotBeSet) {
  driver.currentRate = 48000.0;
  driver.canRateResult = ASE_NotPresent;
  EXPECT_EQ(1, initDriverAtRate(nullptr, 44100.0));
  EXPECT_EQ(0, driver.count("setSampleRate"));
  EXPECT_EQ(&driver, asioHost.driver.get());

  driver.canRateResult = ASE_OK;
  driver.setRateResult = ASE_NotPresent;
  EXPECT_EQ(1, initDriverAtRate(nullptr, 44100.0));
}

TEST_F(AudioTest, OpeningGivesBackADriverThatWillNotInitialise) {
  driver.initResult = 0;
  EXPECT_EQ(1, initDriverAtRate(nullptr, 44100.0));
  EXPECT_EQ((Calls{"init", "Release"}), driver.calls);
  EXPECT_EQ(nullptr, asioHost.driver.get());
}

TEST_F(AudioTest, BuffersCoverTheFirst32ChannelsOfEachDirection) {
  driver.inputs = 40;
  driver.outputs = 8;
  driver.preferredSize = 128;
  ASSERT_EQ(ASE_OK, createAudioBuffers());
  EXPECT_EQ((Calls{"getChannels", "getBufferSize", "createBuffers", "getLatencies"}), driver.calls);
  EXPECT_EQ(32, asioFacts.inputCount.get());
  EXPECT_EQ(8, asioFacts.outputCount.get());
  ASSERT_EQ(40u, driver.bufferRequest.size());
  EXPECT_EQ(1, driver.bufferRequest[31].isInput);
  EXPECT_EQ(31, driver.bufferRequest[31].channelNum);
  EXPECT_EQ(0, driver.bufferRequest[32].isInput);
  EXPECT_EQ(0, driver.bufferRequest[32].channelNum);
  EXPECT_EQ(7, driver.bufferRequest[39].channelNum);
  EXPECT_EQ(&asioHost.hostCallbacks, driver.callbacks);
  EXPECT_EQ(&bufferSwitch, asioHost.hostCallbacks.bufferSwitch);
  EXPECT_EQ(&bufferSwitchTimeInfo, asioHost.hostCallbacks.bufferSwitchTimeInfo);
  EXPECT_EQ(128, asioHost.preferredBufferSize);
  EXPECT_EQ(111, asioHost.inputLatency);
  EXPECT_EQ(222, asioHost.outputLatency);
  ASSERT_EQ(40u, driver.channelQueries.size());
  EXPECT_EQ(0, driver.channelQueries[32].isInput);

  driver.inputs = 200;  // more than the 64 table entries in all
  driver.outputs = 200;
  ASSERT_EQ(ASE_OK, createAudioBuffers());
  EXPECT_EQ(64u, driver.bufferRequest.size());
}

TEST_F(AudioTest, WithoutInputsTheFirstEntryIsTheFirstOutput) {
  driver.inputs = 0;
  driver.outputs = 2;
  driver.nullFirstBuffer = true;
  EXPECT_EQ(1, createAudioBuffers());
  EXPECT_EQ(0, driver.bufferRequest[0].isInput);
  EXPECT_EQ(0, driver.count("getLatencies"));
}

TEST_F(AudioTest, BufferCreationReturnsTheFailingDriverResult) {
  driver.channelsResult = -997;
  EXPECT_EQ(-997, createAudioBuffers());
  driver = FakeAsioDriver();
  driver.bufferSizeResult = -998;
  EXPECT_EQ(-998, createAudioBuffers());
  driver = FakeAsioDriver();
  driver.createResult = -994;
  EXPECT_EQ(-994, createAudioBuffers());
  driver = FakeAsioDriver();
  driver.latenciesResult = -1000;
  EXPECT_EQ(-1000, createAudioBuffers());
  driver = FakeAsioDriver();
  driver.preferredSize = 0;
  EXPECT_EQ(1, createAudioBuffers());
  EXPECT_EQ(0, driver.count("createBuffers"));
}

TEST_F(AudioTest, StoppingAndReleasingActOnlyOnARunningHeldDriver) {
  stopDriver();
  EXPECT_TRUE(driver.calls.empty());
  asioHost.audioRunning = true;
  stopDriver();
  EXPECT_EQ((Calls{"stop", "disposeBuffers"}), driver.calls);
  releaseDriver();
  releaseDriver();
  EXPECT_EQ(1, driver.count("Release"));
  EXPECT_EQ(nullptr, asioHost.driver.get());
  stopDriver();
  EXPECT_EQ(1, driver.count("stop"));
}

// A driver that faults is forgotten without another call. Started and not yet returned
// from stop, its thread may still be calling the handlers: it counts as running for good.
TEST_F(AudioTest, AnInstanceAbandonedBetweenStartAndStopCountsAsRunning) {
  auto abandonedRunning = [this](auto before) {
    resetAudio();
    driver = FakeAsioDriver();
    asioHost.driver.set(&driver);
    stream(2, 2, 16, ASIOSTInt16LSB);
    asioHost.audioRunning = true;
    before();
    driver.calls.clear();
    abandonDriver();
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_EQ(nullptr, asioHost.driver.get());
    EXPECT_EQ(0, asioFacts.outputCount.get());
    return asioHost.abandonedRunning;
  };
  EXPECT_TRUE(abandonedRunning([] { startDriver(); }));
  EXPECT_FALSE(abandonedRunning([] {}));
  EXPECT_FALSE(abandonedRunning([] {
    startDriver();
    stopDriver();
  }));
  EXPECT_FALSE(abandonedRunning([this] {
    driver.startResult = ASE_NotPresent;  // refused: the driver did not start
    startDriver();
  }));

  // Once abandoned running, a later instance that is stopped cleanly changes nothing.
  EXPECT_TRUE(abandonedRunning([] { startDriver(); }));
  asioHost.driver.set(&driver);
  startDriver();
  stopDriver();
  abandonDriver();
  EXPECT_TRUE(asioHost.abandonedRunning);
}

}  // namespace
