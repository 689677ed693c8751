// The test sequence: pages and their channel prefixes, the channel filter, channel pairs,
// enabled steps, captions, the end of the run, and results kept across pages.
#include "run_state_fixture.h"

namespace {

class SequenceTest : public RunStateTest {
 protected:
  static std::string enabledChannels() {
    std::string flags;
    for (const auto& flag : channelFilter.channelEnabled) {
      flags += flag.get() != 0 ? '1' : '0';
    }
    return flags;
  }

  // Moves to step position step, page page, as if the run had got there.
  static void showPage(int step, int page) {
    currentStep.set(step);
    currentPage.set(page);
    setChannelFilter(true);
  }
};

TEST_F(SequenceTest, PagesCountUpToTheFirstEmptyKey) {
  writeTextKeys(
      {"text3_1=a.txt", "text3_2=b.txt", "text3_3=3,c.txt", "text3_5=e.txt", "text4=x.txt"});
  currentStep.set(kStepNoteTest);
  EXPECT_EQ(pageCount(), 3);
  currentStep.set(kStepControllerTest);
  EXPECT_EQ(pageCount(), 0);

  std::string all;
  for (int page = 1; page <= 17; ++page) {
    all += "text5_" + std::to_string(page) + "=p.txt\r\n";
  }
  writeFile("settings.ini", "[text]\r\n" + all);
  currentStep.set(kStepNoteRxTest);
  EXPECT_EQ(pageCount(), 16);
}

TEST_F(SequenceTest, ChannelPrefixNeedsACommaAndAChannelNumber) {
  writeTextKeys({"text3=2,a.txt", "text3_1=17,a.txt", "text3_2=0,a.txt", "text3_3= +16,a.txt",
                 "text3_4=2a.txt", "text3_5=a,2.txt", "text3_6=1x,a.txt",
                 "text3_7=99999999999999999999,a.txt", "text3_8=-1,a.txt"});
  currentStep.set(kStepNoteTest);
  EXPECT_EQ(channelPrefix(-1), 1);
  EXPECT_EQ(channelPrefix(0), -1);
  EXPECT_EQ(channelPrefix(1), -1);
  EXPECT_EQ(channelPrefix(2), 15);
  EXPECT_EQ(channelPrefix(3), -1);  // no comma
  EXPECT_EQ(channelPrefix(4), -1);  // leading integer 0
  EXPECT_EQ(channelPrefix(5), 0);   // the comma may stand anywhere
  EXPECT_EQ(channelPrefix(6), -1);
  EXPECT_EQ(channelPrefix(7), -1);
  EXPECT_EQ(channelPrefix(9), -1);  // missing key
}

TEST_F(SequenceTest, FilterSelectsThePageChannelOrEveryUnclaimedOne) {
  writeTextKeys(
      {"text3=a.txt", "text3_1=1,b.txt", "text3_2=2,c.txt", "text3_3=17,d.txt", "text3_4=0,e.txt"});
  showPage(kStepNoteTest, -1);
  EXPECT_EQ(enabledChannels(), "0011111111111111");
  EXPECT_EQ(channelFilter.selectedChannel.get(), -1);
  EXPECT_TRUE(isControlEnabled(60));
  EXPECT_FALSE(isControlEnabled(channelIndex(1, 0)));
  EXPECT_TRUE(isControlEnabled(channelIndex(3, 0)));

  showPage(kStepNoteTest, 0);
  EXPECT_EQ(enabledChannels(), "1000000000000000");
  EXPECT_EQ(channelFilter.selectedChannel.get(), 0);
  EXPECT_FALSE(isControlEnabled(60));
  EXPECT_TRUE(isControlEnabled(channelIndex(1, 127)));
  EXPECT_FALSE(isControlEnabled(channelIndex(2, 0)));

  showPage(kStepNoteTest, 1);
  EXPECT_EQ(enabledChannels(), "0100000000000000");
  EXPECT_TRUE(isControlEnabled(channelIndex(2, 0)));

  // Prefixes 17 and 0 select nothing and claim nothing.
  showPage(kStepNoteTest, 2);
  EXPECT_EQ(enabledChannels(), "0011111111111111");
  EXPECT_EQ(channelFilter.selectedChannel.get(), -1);

  // Outside steps 3 to 5, and for a channel pair, every channel is enabled.
  showPage(kStepMidiLink, 0);
  EXPECT_EQ(enabledChannels(), "1111111111111111");
  currentStep.set(kStepNoteTest);
  setChannelFilter(false);
  EXPECT_EQ(enabledChannels(), "1111111111111111");
}

TEST_F(SequenceTest, AudioStepsWalkTheirChannelPairs) {
  struct Case {
    int outputs;
    int pressesInStep;
  };
  for (const Case c : {Case{8, 4}, Case{5, 2}, Case{2, 1}, Case{3, 1}, Case{0, 1}}) {
    SCOPED_TRACE(c.outputs);
    resetPlatformFake();
    asioFacts.outputCount.set(c.outputs);
    currentStep.set(kStepAudioOut);
    currentPage.set(-1);
    currentPair.set(0);
    for (int press = 1; press < c.pressesInStep; ++press) {
      advanceByOperator();
      EXPECT_EQ(currentStep.get(), kStepAudioOut);
      EXPECT_EQ(currentPair.get(), press);
    }
    // A new pair gets a new text but keeps the caption and is not repainted.
    EXPECT_EQ(countCalls("repaint"), 0);
    EXPECT_EQ(countCalls("caption"), 0);
    EXPECT_EQ(countCalls("text"), c.pressesInStep - 1);
    advanceByOperator();
    EXPECT_EQ(currentStep.get(), kStepAudioIn);
    EXPECT_EQ(currentPair.get(), 0);
  }
  // The input step uses the input count.
  asioFacts.inputCount.set(4);
  advanceByOperator();
  EXPECT_EQ(currentPair.get(), 1);
  advanceByOperator();
  EXPECT_EQ(currentStep.get(), kStepClosing);
}

TEST_F(SequenceTest, StepsSkipDisabledOnesAndSetTheirCaptions) {
  settings.sequenceFlags[kStepNoteTest] = 0;
  settings.sequenceFlags[kStepNoteRxTest] = 0;
  struct Expected {
    int step;
    const char* caption;
  };
  const Expected expected[] = {{kStepMidiLink, "caption Continue..."},
                               {kStepControllerTest, "caption Skip Test..."},
                               {kStepAudioOut, "caption Continue..."},
                               {kStepAudioIn, "caption Continue..."},
                               {kStepClosing, "caption Continue..."}};
  for (const Expected& step : expected) {
    resetPlatformFake();
    advanceByOperator();
    EXPECT_EQ(currentStep.get(), step.step);
    EXPECT_EQ(currentPage.get(), -1);
    ASSERT_EQ(platformFake.calls.size(), 3u);
    EXPECT_EQ(platformFake.calls[0], "text");
    EXPECT_EQ(platformFake.calls[1], step.caption);
    EXPECT_EQ(platformFake.calls[2], "repaint");
  }
  // Step 8 disabled: leaving step 7 finishes the run.
  settings.sequenceFlags[kStepClosing] = 0;
  resetPlatformFake();
  advanceByOperator();
  EXPECT_EQ(currentStep.get(), kFinishedStep);
  EXPECT_EQ(platformFake.calls, (std::vector<std::string>{"repaint", "report", "destroy"}));
  // Nothing moves past the end.
  advanceByOperator();
  checkAutoAdvance();
  EXPECT_EQ(currentStep.get(), kFinishedStep);
  EXPECT_EQ(platformFake.reportCount.load(), 1);
}

TEST_F(SequenceTest, AllStepsDisabledEndsTheRunAtTheFirstPress) {
  for (int s = kStepOpening + 1; s < kStepCount; ++s) {
    settings.sequenceFlags[s] = 0;
  }
  advanceByOperator();
  EXPECT_EQ(currentStep.get(), kFinishedStep);
  EXPECT_EQ(platformFake.calls, (std::vector<std::string>{"repaint", "report", "destroy"}));
}

TEST_F(SequenceTest, MidiPagesAdvanceOnceEveryEnabledControlPassed) {
  writeTextKeys({"text3=a.txt", "text3_1=1,b.txt", "text3_2=2,c.txt"});
  controlMap.noteDefined[channelIndex(1, 10)] = 1;  // channel 1
  controlMap.noteDefined[channelIndex(2, 10)] = 1;  // channel 2
  showPage(kStepNoteTest, -1);
  resetPageTables();

  // Page -1 tests channels 3..16 and the any-channel entries: nothing defined there.
  checkAutoAdvance();
  EXPECT_EQ(currentPage.get(), 0);
  EXPECT_EQ(platformFake.calls, (std::vector<std::string>{"text", "repaint"}));
  checkAutoAdvance();
  EXPECT_EQ(currentPage.get(), 0);
  analyseShortMessage(0x007F0A90, 0);  // note 10 on channel 1
  checkAutoAdvance();
  EXPECT_EQ(currentPage.get(), 1);
  EXPECT_EQ(controlMap.noteTested[channelIndex(1, 10)].get(), 0);  // cleared for the new page

  analyseShortMessage(0x007F0A91, 0);
  checkAutoAdvance();
  EXPECT_EQ(currentStep.get(), kStepControllerTest);
  EXPECT_EQ(currentPage.get(), -1);
  EXPECT_EQ(noteResults.entry[channelIndex(1, 10)], 1);  // passed on an earlier page: kept
  EXPECT_EQ(noteResults.entry[channelIndex(2, 10)], 1);
  EXPECT_EQ(noteResults.entry[10], -1);
}

TEST_F(SequenceTest, SkipEndsTheStepWithItsRemainingPagesUnseen) {
  writeTextKeys({"text4=a.txt", "text4_1=b.txt", "text4_2=c.txt", "text4_3=d.txt"});
  controlMap.controllerDefined[7] = 1;
  controlMap.controllerDefined[8] = 1;
  showPage(kStepControllerTest, 0);
  resetPageTables();
  for (int value : {0, 127}) {
    analyseShortMessage(0x00000BB0u | static_cast<uint32_t>(value) << 16, 0);  // controller 11
    analyseShortMessage(0x000007B0u | static_cast<uint32_t>(value) << 16, 0);  // controller 7
  }
  checkAutoAdvance();  // controller 8 still untested
  EXPECT_EQ(currentPage.get(), 0);
  advanceToNextPage();  // as the auto-advance would
  EXPECT_EQ(currentPage.get(), 1);
  advanceByOperator();
  EXPECT_EQ(currentStep.get(), kStepNoteRxTest);
  EXPECT_EQ(controllerResults.entry[7], 1);
  EXPECT_EQ(controllerResults.entry[8], 0);
  EXPECT_EQ(controllerResults.entry[11], -1);
}

TEST_F(SequenceTest, NoteRxStepWaitsOnlyForReceiveNotes) {
  controlMap.noteDefined[20] = 1;
  controlMap.noteDefined[21] = 1;
  controlMap.receiveFlag[21] = 1;
  showPage(kStepNoteRxTest, -1);
  resetPageTables();
  controlMap.noteTested[21].set(1);
  checkAutoAdvance();
  EXPECT_EQ(currentStep.get(), kStepAudioOut);
  EXPECT_EQ(receiveResults.entry[20], -1);
  EXPECT_EQ(receiveResults.entry[21], 1);
}

TEST_F(SequenceTest, ResultsOfAStepStartAfresh) {
  // Step 3 passes a note on page 0 of two pages, then is skipped; step 5 must not inherit it.
  writeTextKeys({"text3_1=a.txt", "text3_2=b.txt", "text5_1=a.txt", "text5_2=b.txt"});
  controlMap.noteDefined[30] = 1;
  controlMap.receiveFlag[30] = 1;
  controlMap.noteDefined[31] = 1;
  showPage(kStepNoteTest, 0);
  resetPageTables();
  controlMap.noteTested[30].set(1);
  advanceToNextPage();
  advanceByOperator();
  EXPECT_EQ(noteResults.entry[30], 1);
  EXPECT_EQ(noteResults.entry[31], 0);
  showPage(kStepNoteRxTest, 0);
  advanceToNextPage();
  advanceByOperator();
  EXPECT_EQ(receiveResults.entry[30], 0);
}

}  // namespace
