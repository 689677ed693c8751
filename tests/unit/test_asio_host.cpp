// The host's driver operations against a scripted driver: probing, opening at 44100 Hz,
// creating buffers (with more channels than the tables hold), stopping and releasing.
#include <string>
#include <vector>

#include "audio_fixture.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

TEST_F(AudioTest, ProbeLearnsCountsBufferSizeAndChannelTypes) {
  driver.inputs = 4;
  driver.outputs = 6;
  driver.preferredSize = 256;
  driver.sampleType = ASIOSTInt24LSB;
  EXPECT_TRUE(probeDriver(nullptr));
  EXPECT_EQ(driver.calls, (Calls{"init", "getChannels", "getBufferSize"}));
  EXPECT_EQ(asioFacts.inputCount.get(), 4);
  EXPECT_EQ(asioFacts.outputCount.get(), 6);
  EXPECT_EQ(asioHost.preferredBufferSize, 256);
  ASSERT_EQ(driver.channelQueries.size(), 10u);
  EXPECT_EQ(driver.channelQueries[3].isInput, 1);
  EXPECT_EQ(driver.channelQueries[3].channel, 3);
  EXPECT_EQ(driver.channelQueries[4].isInput, 0);
  EXPECT_EQ(driver.channelQueries[4].channel, 0);
  EXPECT_EQ(driver.channelQueries[9].channel, 5);
  EXPECT_EQ(asioHost.channelInfos[9].type, ASIOSTInt24LSB);
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
  EXPECT_EQ(asioFacts.inputCount.get(), 32);
  EXPECT_EQ(asioFacts.outputCount.get(), 32);
  EXPECT_EQ(driver.channelQueries.size(), 64u);

  driver.inputs = -3;  // nonsense from a driver reads as none
  driver.outputs = 2;
  EXPECT_TRUE(probeDriver(nullptr));
  EXPECT_EQ(asioFacts.inputCount.get(), 0);
  EXPECT_EQ(asioFacts.outputCount.get(), 2);
}

TEST_F(AudioTest, OpeningAtTheRunningRateAsksNothingMore) {
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 0);
  EXPECT_EQ(driver.calls, (Calls{"init", "getSampleRate"}));
  EXPECT_EQ(asioHost.sampleRate, 44100.0);
}

TEST_F(AudioTest, OpeningSwitchesTheRateWhenItDiffersOrIsUnknown) {
  driver.currentRate = 48000.0;
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 0);
  EXPECT_EQ(driver.calls, (Calls{"init", "getSampleRate", "canSampleRate", "setSampleRate"}));
  EXPECT_EQ(asioHost.sampleRate, 44100.0);

  driver.calls.clear();
  driver.sampleRateResult = ASE_NotPresent;  // 44100 reported, but the query failed
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 0);
  EXPECT_EQ(driver.count("setSampleRate"), 1);
}

TEST_F(AudioTest, OpeningFailsWhenTheRateCannotBeSet) {
  driver.currentRate = 48000.0;
  driver.canRateResult = ASE_NotPresent;
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 1);
  EXPECT_EQ(driver.count("setSampleRate"), 0);
  EXPECT_EQ(asioHost.driver.get(), &driver);

  driver.canRateResult = ASE_OK;
  driver.setRateResult = ASE_NotPresent;
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 1);
}

TEST_F(AudioTest, OpeningGivesBackADriverThatWillNotInitialise) {
  driver.initResult = 0;
  EXPECT_EQ(initDriverAtRate(nullptr, 44100.0), 1);
  EXPECT_EQ(driver.calls, (Calls{"init", "Release"}));
  EXPECT_EQ(asioHost.driver.get(), nullptr);
}

TEST_F(AudioTest, BuffersCoverTheFirst32ChannelsOfEachDirection) {
  driver.inputs = 40;
  driver.outputs = 8;
  driver.preferredSize = 128;
  ASSERT_EQ(createAudioBuffers(), ASE_OK);
  EXPECT_EQ(driver.calls, (Calls{"getChannels", "getBufferSize", "createBuffers", "getLatencies"}));
  EXPECT_EQ(asioFacts.inputCount.get(), 32);
  EXPECT_EQ(asioFacts.outputCount.get(), 8);
  ASSERT_EQ(driver.bufferRequest.size(), 40u);
  EXPECT_EQ(driver.bufferRequest[31].isInput, 1);
  EXPECT_EQ(driver.bufferRequest[31].channelNum, 31);
  EXPECT_EQ(driver.bufferRequest[32].isInput, 0);
  EXPECT_EQ(driver.bufferRequest[32].channelNum, 0);
  EXPECT_EQ(driver.bufferRequest[39].channelNum, 7);
  EXPECT_EQ(driver.callbacks, &asioHost.hostCallbacks);
  EXPECT_EQ(asioHost.hostCallbacks.bufferSwitch, &bufferSwitch);
  EXPECT_EQ(asioHost.hostCallbacks.bufferSwitchTimeInfo, &bufferSwitchTimeInfo);
  EXPECT_EQ(asioHost.preferredBufferSize, 128);
  EXPECT_EQ(asioHost.inputLatency, 111);
  EXPECT_EQ(asioHost.outputLatency, 222);
  ASSERT_EQ(driver.channelQueries.size(), 40u);
  EXPECT_EQ(driver.channelQueries[32].isInput, 0);

  driver.inputs = 200;  // more than the 64 table entries in all
  driver.outputs = 200;
  ASSERT_EQ(createAudioBuffers(), ASE_OK);
  EXPECT_EQ(driver.bufferRequest.size(), 64u);
}

TEST_F(AudioTest, WithoutInputsTheFirstEntryIsTheFirstOutput) {
  driver.inputs = 0;
  driver.outputs = 2;
  driver.nullFirstBuffer = true;
  EXPECT_EQ(createAudioBuffers(), 1);
  EXPECT_EQ(driver.bufferRequest[0].isInput, 0);
  EXPECT_EQ(driver.count("getLatencies"), 0);
}

TEST_F(AudioTest, BufferCreationReturnsTheFailingDriverResult) {
  driver.channelsResult = -997;
  EXPECT_EQ(createAudioBuffers(), -997);
  driver = FakeAsioDriver();
  driver.bufferSizeResult = -998;
  EXPECT_EQ(createAudioBuffers(), -998);
  driver = FakeAsioDriver();
  driver.createResult = -994;
  EXPECT_EQ(createAudioBuffers(), -994);
  driver = FakeAsioDriver();
  driver.latenciesResult = -1000;
  EXPECT_EQ(createAudioBuffers(), -1000);
  driver = FakeAsioDriver();
  driver.preferredSize = 0;
  EXPECT_EQ(createAudioBuffers(), 1);
  EXPECT_EQ(driver.count("createBuffers"), 0);
}

TEST_F(AudioTest, StoppingAndReleasingActOnlyOnARunningHeldDriver) {
  stopDriver();
  EXPECT_TRUE(driver.calls.empty());
  asioHost.audioRunning = true;
  stopDriver();
  EXPECT_EQ(driver.calls, (Calls{"stop", "disposeBuffers"}));
  releaseDriver();
  releaseDriver();
  EXPECT_EQ(driver.count("Release"), 1);
  EXPECT_EQ(asioHost.driver.get(), nullptr);
  stopDriver();
  EXPECT_EQ(driver.count("stop"), 1);
}

// A driver that faults is forgotten without another call. Started and not yet returned
// from stop, its thread may still be calling the handlers: it counts as running for good.
TEST_F(AudioTest, AnInstanceAbandonedBetweenStartAndStopCountsAsRunning) {
  auto abandonedRunning = [this](auto before) {
    resetStation();
    driver = FakeAsioDriver();
    asioHost.driver.set(&driver);
    stream(2, 2, 16, ASIOSTInt16LSB);
    asioHost.audioRunning = true;
    before();
    driver.calls.clear();
    abandonDriver();
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_EQ(asioHost.driver.get(), nullptr);
    EXPECT_EQ(asioFacts.outputCount.get(), 0);
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
