// The control map's lookup and enable rules and the analysis of received MIDI messages.
#include "run_state_fixture.h"

namespace {

uint32_t shortMessage(int status, int d1, int d2) {
  return static_cast<uint32_t>(status) | static_cast<uint32_t>(d1) << 8 |
         static_cast<uint32_t>(d2) << 16;
}

class AnalysisTest : public RunStateTest {
 protected:
  void SetUp() override {
    RunStateTest::SetUp();
    resetPageTables();
    currentStep.set(kStepNoteTest);
  }

  // Clocks at count timestamps spaced so that 96 intervals take windowMs.
  static void sendClocks(uint32_t start, int count, uint32_t windowMs) {
    for (int k = 0; k < count; ++k) {
      analyseShortMessage(0xF8, start + static_cast<uint32_t>(uint64_t{windowMs} * k / 96));
    }
  }

  static void sweep(int status, int number, std::initializer_list<int> values) {
    for (int value : values) {
      analyseShortMessage(shortMessage(status, number, value), 0);
    }
  }
};

TEST_F(AnalysisTest, ControlMapLookupEnableAndReset) {
  EXPECT_EQ(resolveControlIndex(ControlKind::Note, 2, 60), 60);  // nothing defined at all
  controlMap.noteDefined[channelIndex(3, 60)] = 1;
  EXPECT_EQ(resolveControlIndex(ControlKind::Note, 2, 60), 444);
  EXPECT_EQ(resolveControlIndex(ControlKind::Controller, 2, 60), 60);  // kinds are separate
  EXPECT_EQ(channelOfIndex(2175), 16);
  EXPECT_EQ(numberOfIndex(2175), 127);
  EXPECT_EQ(channelOfIndex(128), 1);

  // Program start: any-channel entries enabled, channel entries not.
  clearControlMap();
  EXPECT_TRUE(isControlEnabled(60));
  EXPECT_FALSE(isControlEnabled(128));
  EXPECT_FALSE(isControlEnabled(2175));
  EXPECT_FALSE(isControlEnabled(2176));
  EXPECT_FALSE(isControlEnabled(-1));

  selectOnlyChannel(1);  // MIDI channel 2
  EXPECT_FALSE(isControlEnabled(60));
  EXPECT_FALSE(isControlEnabled(channelIndex(1, 127)));
  EXPECT_TRUE(isControlEnabled(channelIndex(2, 0)));
  EXPECT_TRUE(isControlEnabled(channelIndex(2, 127)));
  EXPECT_FALSE(isControlEnabled(channelIndex(3, 0)));

  controlMap.noteTested[5].set(1);
  controlMap.controllerTested[channelIndex(16, 127)].set(1);
  controlMap.controllerMin[7].set(0);
  resetPageTables();
  EXPECT_EQ(controlMap.noteTested[5].get(), 0);
  EXPECT_EQ(controlMap.controllerTested[channelIndex(16, 127)].get(), 0);
  EXPECT_EQ(controlMap.controllerMin[7].get(), 64);
  EXPECT_EQ(controlMap.controllerMax[channelIndex(16, 127)].get(), 64);
  EXPECT_EQ(controlMap.noteDefined[channelIndex(3, 60)], 0);  // definitions survive a page reset
}

TEST_F(AnalysisTest, ClockMeasuresTempoOverFourBeatsAcrossWrapAndRestarts) {
  // A steady 120 BPM clock: 96 intervals take 2000 ms, starting just before the wrap.
  const uint32_t start = 0xFFFFFC00u;
  sendClocks(start, 96, 2000);
  EXPECT_EQ(tempoBpm.get(), 0);
  EXPECT_EQ(platformFake.paneTextCount.load(), 0);
  sendClocks(start + 2000, 1, 2000);  // the 97th clock
  EXPECT_EQ(tempoBpm.get(), 120);
  EXPECT_EQ(platformFake.paneTextCount.load(), 1);

  // The closing clock opened the next window: 96 more give 120 again, with no refresh.
  sendClocks(start + 2000 + 2000 / 96, 95, 2000);
  sendClocks(start + 4000, 1, 2000);
  EXPECT_EQ(tempoBpm.get(), 120);
  EXPECT_EQ(platformFake.paneTextCount.load(), 1);

  // 150 BPM: four beats in 1600 ms.
  sendClocks(start + 4000 + 1600 / 96, 96, 1600);
  EXPECT_EQ(tempoBpm.get(), 150);
  EXPECT_EQ(platformFake.paneTextCount.load(), 2);

  // Start and stop in mid-window: counting begins again at the next clock, the tempo stays.
  sendClocks(10000, 50, 2000);
  analyseShortMessage(0xFA, 11000);
  sendClocks(20000, 96, 2400);
  EXPECT_EQ(tempoBpm.get(), 150);
  sendClocks(22400, 1, 2400);
  EXPECT_EQ(tempoBpm.get(), 100);
  sendClocks(30000, 40, 2000);
  analyseShortMessage(0xFC, 31000);
  analyseShortMessage(0xFB, 31000);  // continue: ignored
  sendClocks(40000, 97, 1200);
  EXPECT_EQ(tempoBpm.get(), 200);
}

TEST_F(AnalysisTest, ClockTempoIsZeroForEndlessOrEmptyWindows) {
  tempoBpm.set(120);
  sendClocks(1000, 96, 2000);
  analyseShortMessage(0xF8, 1000 + 480001);
  EXPECT_EQ(tempoBpm.get(), 0);
  EXPECT_EQ(platformFake.paneTextCount.load(), 1);

  clearMidiAnalysis();
  tempoBpm.set(120);
  for (int k = 0; k < 97; ++k) {
    analyseShortMessage(0xF8, 500000);
  }
  EXPECT_EQ(tempoBpm.get(), 0);
}

TEST_F(AnalysisTest, LoopbackIsTwoEqualNoteMessagesInARow) {
  const uint32_t note = shortMessage(0x90, 60, 100);
  analyseShortMessage(note, 0);
  EXPECT_EQ(loopbackDetected.get(), 0);
  EXPECT_EQ(platformFake.paneTextCount.load(), 0);
  analyseShortMessage(note, 1);
  EXPECT_EQ(loopbackDetected.get(), 1);
  analyseShortMessage(note, 2);
  EXPECT_EQ(platformFake.paneTextCount.load(), 1);
  analyseShortMessage(shortMessage(0xB0, 1, 1), 3);  // not a note: no effect on loopback
  EXPECT_EQ(loopbackDetected.get(), 1);
  // Releases take part as well.
  analyseShortMessage(shortMessage(0x80, 60, 0), 4);
  EXPECT_EQ(loopbackDetected.get(), 0);
  analyseShortMessage(shortMessage(0x80, 60, 0), 5);
  EXPECT_EQ(loopbackDetected.get(), 1);
  EXPECT_EQ(platformFake.paneTextCount.load(), 3);
}

TEST_F(AnalysisTest, NotesPassOnTheResolvedIndexWhenPressedAndEnabled) {
  enableAllChannels();
  controlMap.noteDefined[channelIndex(3, 60)] = 1;
  analyseShortMessage(shortMessage(0x92, 60, 0), 0);  // velocity 0: a release
  analyseShortMessage(shortMessage(0x82, 60, 90), 0);
  EXPECT_EQ(controlMap.noteTested[channelIndex(3, 60)].get(), 0);
  analyseShortMessage(shortMessage(0x92, 60, 90), 0);
  EXPECT_EQ(controlMap.noteTested[channelIndex(3, 60)].get(), 1);
  analyseShortMessage(shortMessage(0x92, 60, 91), 0);  // already passed: drawn once only
  EXPECT_EQ(countCalls("drawNote 444"), 1);
  EXPECT_EQ(controlMap.lastAnyChannel.get(), 15);  // a channel entry leaves it alone

  // Channel 4 has no entry for note 60: the number alone answers, defined or not.
  analyseShortMessage(shortMessage(0x93, 60, 90), 0);
  EXPECT_EQ(controlMap.noteTested[60].get(), 1);
  EXPECT_EQ(controlMap.lastAnyChannel.get(), 3);

  // A page for channel 2 only: the any-channel note is not under test there.
  resetPageTables();
  selectOnlyChannel(1);  // MIDI channel 2
  analyseShortMessage(shortMessage(0x91, 61, 90), 0);
  EXPECT_EQ(controlMap.noteTested[61].get(), 0);
  controlMap.noteDefined[channelIndex(2, 61)] = 1;
  analyseShortMessage(shortMessage(0x91, 61, 90), 0);
  EXPECT_EQ(controlMap.noteTested[channelIndex(2, 61)].get(), 1);
}

TEST_F(AnalysisTest, NoteRxStepPassesOnlyTheFlashedNote) {
  currentStep.set(kStepNoteRxTest);
  enableAllChannels();
  currentRxIndex.set(61);
  analyseShortMessage(shortMessage(0x90, 60, 90), 0);
  EXPECT_EQ(controlMap.noteTested[60].get(), 0);
  analyseShortMessage(shortMessage(0x90, 61, 90), 0);
  EXPECT_EQ(controlMap.noteTested[61].get(), 1);
}

TEST_F(AnalysisTest, ControllersPassWhenSweptToBothEndsOnOnePage) {
  enableAllChannels();
  sweep(0xB0, 7, {64, 100, 127});
  EXPECT_EQ(controlMap.controllerTested[7].get(), 0);
  sweep(0xB0, 7, {30, 3});
  EXPECT_EQ(controlMap.controllerTested[7].get(), 1);
  EXPECT_EQ(countCalls("drawController 7"), 1);
  EXPECT_EQ(controlMap.lastAnyChannel.get(), 0);

  sweep(0xB0, 8, {4, 124, 5, 120});
  EXPECT_EQ(controlMap.controllerTested[8].get(), 0);

  // One end on each page is not a pass.
  sweep(0xB0, 9, {0});
  resetPageTables();
  sweep(0xB0, 9, {127});
  EXPECT_EQ(controlMap.controllerTested[9].get(), 0);

  // Pitch bend: the first data byte is the number, the second the value.
  controlMap.controllerDefined[channelIndex(5, 0)] = 1;
  for (int value = 0; value < 128; ++value) {
    analyseShortMessage(shortMessage(0xE4, 0, value), 0);
  }
  EXPECT_EQ(controlMap.controllerTested[channelIndex(5, 0)].get(), 1);
  EXPECT_EQ(controlMap.controllerTested[0].get(), 0);
}

TEST_F(AnalysisTest, AnyChannelControllerFollowsTheChannelOfItsMessage) {
  // A page for channel 2 only: unlike a note, an any-channel controller is tested when its
  // message arrives on an enabled channel.
  selectOnlyChannel(1);  // MIDI channel 2
  sweep(0xB1, 10, {0, 127});
  EXPECT_EQ(controlMap.controllerTested[10].get(), 1);
  EXPECT_EQ(controlMap.lastAnyChannel.get(), 1);
  sweep(0xB2, 11, {0, 127});
  EXPECT_EQ(controlMap.controllerTested[11].get(), 0);
  EXPECT_EQ(controlMap.controllerMin[11].get(), 64);  // not even widened
}

TEST_F(AnalysisTest, DataBytesAbove127AreIgnored) {
  enableAllChannels();
  const uint32_t badNote = shortMessage(0x9F, 0xFF, 100);
  analyseShortMessage(badNote, 0);
  analyseShortMessage(badNote, 0);
  EXPECT_EQ(loopbackDetected.get(), 0);
  analyseShortMessage(shortMessage(0x9F, 10, 0x80), 0);
  analyseShortMessage(shortMessage(0xBF, 0xFF, 0), 0);
  analyseShortMessage(shortMessage(0xBF, 0xFF, 127), 0);
  analyseShortMessage(shortMessage(0xEF, 0, 0xC8), 0);
  for (int i = 0; i < kControlCount; ++i) {
    ASSERT_EQ(controlMap.noteTested[i].get(), 0) << i;
    ASSERT_EQ(controlMap.controllerTested[i].get(), 0) << i;
    ASSERT_EQ(controlMap.controllerMin[i].get(), 64) << i;
    ASSERT_EQ(controlMap.controllerMax[i].get(), 64) << i;
  }
  EXPECT_TRUE(platformFake.calls.empty());
}

}  // namespace
