// The note receive test's output: rate, which note is flashed, and how it is addressed.
#include "run_state_fixture.h"

namespace {

class NoteReceiveTest : public RunStateTest {
 protected:
  void SetUp() override {
    RunStateTest::SetUp();
    currentStep.set(kStepNoteRxTest);
    enableAllChannels();  // a page that claims no channel
  }

  static void tickAt(uint32_t ms) {
    platformFake.tickCount = ms;
    noteReceiveTick();
  }
};

TEST_F(NoteReceiveTest, ActsOnlyWhenMoreThan100msHavePassed) {
  controlMap.receiveFlag[channelIndex(2, 44)] = 1;
  for (uint32_t ms = 1000; ms <= 2000; ms += 100) {
    tickAt(ms);
  }
  EXPECT_EQ(platformFake.sentMidi.size(), 6u);  // 1000, 1200, ... 2000

  platformFake.sentMidi.clear();
  for (uint32_t ms = 3000; ms < 3000 + 10 * 109; ms += 109) {
    tickAt(ms);
  }
  EXPECT_EQ(platformFake.sentMidi.size(), 10u);

  // The tick count wraps after 49.7 days; the flashing goes on at the same rate.
  std::vector<int> acted;
  for (uint32_t ms : {0xFFFFFF00u, 0xFFFFFF50u, 0x00000010u, 0x00000050u, 0x00000090u}) {
    const size_t before = platformFake.sentMidi.size();
    tickAt(ms);
    acted.push_back(static_cast<int>(platformFake.sentMidi.size() - before));
  }
  EXPECT_EQ(acted, (std::vector<int>{1, 0, 1, 0, 1}));
}

TEST_F(NoteReceiveTest, ChannelEntriesAreAddressedByTheirIndex) {
  controlMap.receiveFlag[channelIndex(2, 44)] = 1;
  tickAt(1000);
  tickAt(1200);
  tickAt(1400);
  EXPECT_EQ(platformFake.sentMidi, (std::vector<uint32_t>{0xFF2C91, 0xFF2C81, 0xFF2C91}));
  EXPECT_EQ(currentRxIndex.get(), channelIndex(2, 44));
}

TEST_F(NoteReceiveTest, AnyChannelEntriesUseTheLastAnyChannel) {
  controlMap.receiveFlag[0] = 1;
  controlMap.receiveFlag[5] = 1;
  // Index 0 is where the flashing state starts, so its first message is a note-off.
  tickAt(1000);
  tickAt(1200);
  controlMap.noteTested[0].set(1);
  controlMap.lastAnyChannel.set(3);
  tickAt(1400);  // a new note begins with a note-on
  tickAt(1600);
  controlMap.noteTested[5].set(1);
  tickAt(1800);  // nothing left
  EXPECT_EQ(platformFake.sentMidi, (std::vector<uint32_t>{0xFF008F, 0xFF009F, 0xFF0593, 0xFF0583}));
  EXPECT_EQ(currentRxIndex.get(), 5);
}

// A page of step 5 flashes only what its channel filter lets a press pass; the entries of
// other pages wait for theirs.
TEST_F(NoteReceiveTest, FlashesOnlyNotesTheCurrentPageTests) {
  controlMap.receiveFlag[5] = 1;                    // any channel
  controlMap.receiveFlag[channelIndex(1, 44)] = 1;  // the page of channel 1
  controlMap.receiveFlag[channelIndex(2, 10)] = 1;  // the page of channel 2
  selectOnlyChannel(1);                             // channel 2 (0-based 1) alone
  tickAt(1000);
  EXPECT_EQ(currentRxIndex.get(), channelIndex(2, 10));
  EXPECT_EQ(platformFake.sentMidi, (std::vector<uint32_t>{0xFF0A91}));
  EXPECT_EQ(nextFlashedNote(), channelIndex(2, 10));
  controlMap.noteTested[channelIndex(2, 10)].set(1);
  EXPECT_EQ(nextFlashedNote(), -1);  // the page is done: nothing of the others is flashed
  tickAt(1200);
  EXPECT_EQ(platformFake.sentMidi.size(), 1u);

  // The page without a prefix of its own: any channel and every channel no page claims.
  resetPageTables();
  enableAllChannels();
  releaseChannel(0);
  releaseChannel(1);
  EXPECT_EQ(nextFlashedNote(), 5);
  controlMap.noteTested[5].set(1);
  EXPECT_EQ(nextFlashedNote(), -1);
}

TEST_F(NoteReceiveTest, NothingIsSentOutsideStep5) {
  controlMap.receiveFlag[channelIndex(2, 44)] = 1;
  for (int step :
       {kStepOpening, kStepNoteTest, kStepControllerTest, kStepAudioOut, kFinishedStep}) {
    currentStep.set(step);
    tickAt(1000 + 1000 * step);
  }
  EXPECT_TRUE(platformFake.sentMidi.empty());
  // The first tick in step 5 acts at once, even right after one outside it.
  currentStep.set(kStepNoteRxTest);
  tickAt(20001);
  EXPECT_EQ(platformFake.sentMidi.size(), 1u);
}

}  // namespace
