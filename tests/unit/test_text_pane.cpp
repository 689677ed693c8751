// The instruction text pane: which file a page shows, the status lines, the title digits.
#include "base/platform_hooks.h"
#include "run_state_fixture.h"
#include "ui/text_pane.h"

namespace {

class TextPaneTest : public RunStateTest {
 protected:
  static std::string paneText() {
    char text[kPaneTextCapacity];
    composePaneText(text, sizeof text);
    return text;
  }
};

TEST_F(TextPaneTest, PageKeyFallsBackToTheStepKey) {
  writeTextKeys({"text1=one.txt", "text1_1=one-1.txt", "text7=seven.txt", "text7_2=seven-2.txt"});
  writeFile("one.txt", "Step one");
  writeFile("one-1.txt", "Welcome");
  writeFile("seven.txt", "Inputs");
  writeFile("seven-2.txt", "Inputs 3 and 4");
  EXPECT_EQ(paneText(), "Welcome");  // program start: step 1, page 0
  currentPage.set(-1);
  EXPECT_EQ(paneText(), "Step one");

  // The audio steps choose by channel pair, not by page.
  currentStep.set(kStepAudioIn);
  currentPage.set(5);
  currentPair.set(1);
  EXPECT_EQ(paneText(), "Inputs 3 and 4");
  currentPair.set(2);
  EXPECT_EQ(paneText(), "Inputs");

  // Neither key set, or a file that does not open: an empty page.
  currentStep.set(kStepClosing);
  EXPECT_EQ(paneText(), "");
  writeTextKeys({"text8=missing.txt"});
  EXPECT_EQ(paneText(), "");
}

TEST_F(TextPaneTest, ChannelPrefixIsRemovedOnlyWhenNonzeroAndFollowedByAComma) {
  writeTextKeys({"text3_1=3,intro.txt", "text3_2=0,intro.txt", "text3_3=intro,1.txt",
                 "text3_4=  -2,intro.txt"});
  writeFile("intro.txt", "plain");
  writeFile("0,intro.txt", "zero");
  writeFile("intro,1.txt", "comma");
  currentStep.set(kStepNoteTest);
  const char* expected[] = {"plain", "zero", "comma", "plain"};
  for (int page = 0; page < 4; ++page) {
    currentPage.set(page);
    EXPECT_EQ(paneText(), expected[page]) << page;
  }
}

TEST_F(TextPaneTest, StatusLinesDependOnTheStep) {
  writeTextKeys({"text2=link.txt", "text3=a.txt", "text6=a.txt", "text7=a.txt", "text1=a.txt"});
  writeFile("link.txt", "Link\r\n");
  writeFile("a.txt", "A");
  tempoBpm.set(120);
  loopbackDetected.set(1);
  currentPage.set(-1);
  currentStep.set(kStepMidiLink);
  EXPECT_EQ(paneText(),
            "Link\r\n\r\n\r\nMidi Clock Detected at 120 BPM\r\n\r\nMidi Loopback Detected");
  for (int step : {kStepNoteTest, kStepAudioOut}) {
    currentStep.set(step);
    EXPECT_EQ(paneText(), "A\r\n\r\nMidi Loopback Detected") << step;
  }
  for (int step : {kStepOpening, kStepAudioIn}) {
    currentStep.set(step);
    EXPECT_EQ(paneText(), "A") << step;
  }
  loopbackDetected.set(0);
  currentStep.set(kStepMidiLink);
  EXPECT_EQ(paneText(), "Link\r\n\r\n\r\nMidi Clock Detected at 120 BPM");
  tempoBpm.set(0);
  EXPECT_EQ(paneText(), "Link\r\n");
}

TEST_F(TextPaneTest, LongFilesShowTheirFirst1024BytesAndStopAtAZeroByte) {
  writeTextKeys({"text2=long.txt", "text3=zero.txt"});
  std::string longText;
  for (int i = 0; i < 3000; ++i) {
    longText += static_cast<char>('a' + i % 26);
  }
  writeFile("long.txt", longText);
  writeFile("zero.txt", std::string("before\0after", 12));
  loopbackDetected.set(1);
  tempoBpm.set(2147483647);
  currentPage.set(-1);
  currentStep.set(kStepMidiLink);
  EXPECT_EQ(paneText(), longText.substr(0, 1024) +
                            "\r\n\r\nMidi Clock Detected at 2147483647 BPM\r\n\r\nMidi Loopback "
                            "Detected");
  currentStep.set(kStepNoteTest);
  EXPECT_EQ(paneText(), "before\r\n\r\nMidi Loopback Detected");

  // A small buffer is filled and terminated, never overrun.
  char small[8];
  std::memset(small, 'x', sizeof small);
  composePaneText(small, sizeof small);
  EXPECT_EQ(std::string(small), "before\r");

  char page[16];
  loadPageText(kStepMidiLink, page, sizeof page, -1);
  EXPECT_EQ(std::string(page, sizeof page), longText.substr(0, 16));
}

TEST_F(TextPaneTest, PathTooLongForItsBufferShowsNothing) {
  // exeFolder and the value together exceed 255 characters; the path cut to fit names
  // another file, which must not be shown.
  const std::string deepName(150, 'd');
  std::filesystem::create_directory(folder() + "/" + deepName);
  setExeFolder((folder() + "/" + deepName + "/").c_str());
  const std::string name = std::string(120, 'n') + ".txt";
  const std::string cutPath = (std::string(exeFolder) + name).substr(0, kPathCapacity - 1);
  std::ofstream(cutPath) << "wrong file";
  writeFile(deepName + "/" + name, "unreachable");
  writeTextKeys({"text1=" + name});
  currentPage.set(-1);
  EXPECT_EQ(paneText(), "");
}

TEST_F(TextPaneTest, RefreshSetsTitleOnlyOnRequestAndNothingOnceFinished) {
  writeTextKeys({"text1_1=a.txt"});
  writeFile("a.txt", "A");
  enableAllChannels();
  for (int channel = 2; channel < kChannelCount; ++channel) {
    releaseChannel(channel);
  }
  refreshTextPane();
  EXPECT_EQ(platformFake.calls, (std::vector<std::string>{"text"}));
  EXPECT_EQ(platformFake.paneTexts.back(), "A");

  settings.showmidichannels = 1;
  refreshTextPane();
  EXPECT_EQ(platformFake.calls[1], "title Velk Analyser - 1100000000000000");
  EXPECT_EQ(platformFake.calls[2], "text");

  currentStep.set(kFinishedStep);
  refreshTextPane();
  EXPECT_EQ(platformFake.calls.size(), 3u);
}

}  // namespace
