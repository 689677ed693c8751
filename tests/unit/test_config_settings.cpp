// The settings load end to end, on settings files written by the tests.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/reset_station.h"
#include "config/device_select.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "temp_folder.h"
#include "tests/fakes/platform_fake.h"

#include <gtest/gtest.h>

namespace {

class LoadSettings : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    resetStation();
    resetPlatformFake();
    setExeFolder((folder() + "/").c_str());
    snprintf(settingsPath, sizeof settingsPath, "%s/settings.ini", folder().c_str());
    strcpy(asioDriverName, "Velk ASIO");
  }
  void TearDown() override {
    resetStation();
    TempFolderTest::TearDown();
  }

  void load(const std::string& content) {
    writeFile("settings.ini", content);
    loadSettings();
  }
  static int countDefined(const int16_t* table) {
    int count = 0;
    for (int i = 0; i < kControlCount; ++i) {
      count += table[i];
    }
    return count;
  }
};

void expectRect(const ControlRect& rect, ControlRect expected) {
  EXPECT_EQ(rect.x, expected.x);
  EXPECT_EQ(rect.y, expected.y);
  EXPECT_EQ(rect.width, expected.width);
  EXPECT_EQ(rect.height, expected.height);
}

TEST_F(LoadSettings, MissingFileGivesDefaults) {
  loadSettings();
  for (int32_t flag : settings.sequenceFlags) {
    EXPECT_EQ(flag, 1);
  }
  EXPECT_EQ(settings.width, 800);
  EXPECT_EQ(settings.height, 680);
  EXPECT_EQ(settings.showmidichannels, 0);
  const std::string folderPath = exeFolder;
  for (const char* path : {settings.redBitmap, settings.greenBitmap, settings.offBitmap,
                           settings.meterOn, settings.meterOff, settings.loopPath}) {
    EXPECT_EQ(std::string(path), folderPath);
  }
  expectRect(settings.textWindow, {0, 0, 0, 0});
  EXPECT_EQ(countDefined(controlMap.noteDefined), 0);
  EXPECT_EQ(countDefined(controlMap.controllerDefined), 0);
  EXPECT_EQ(platformFake.audioWarningCount.load(), 0);
}

TEST_F(LoadSettings, AudioRuleWarnsOnceAndDisablesBothAudioSteps) {
  asioDriverName[0] = '\0';
  load("[sequence]\ntest6=0\ntest7=0\n");
  EXPECT_EQ(platformFake.audioWarningCount.load(), 0);

  load("[sequence]\ntest6=0\ntest7=1\ntest2=0\n");
  EXPECT_EQ(platformFake.audioWarningCount.load(), 1);
  EXPECT_EQ(settings.sequenceFlags[kStepAudioOut], 0);
  EXPECT_EQ(settings.sequenceFlags[kStepAudioIn], 0);
  EXPECT_EQ(settings.sequenceFlags[kStepMidiLink], 0);
  EXPECT_EQ(settings.sequenceFlags[kStepClosing], 1);

  load("[other]\n");  // no [sequence]: every step on, so the warning again
  EXPECT_EQ(platformFake.audioWarningCount.load(), 2);
  EXPECT_EQ(settings.sequenceFlags[kStepAudioOut], 0);
  EXPECT_EQ(settings.sequenceFlags[kStepNoteRxTest], 1);

  strcpy(asioDriverName, "Velk ASIO");
  load("[sequence]\ntest6=2\n");
  EXPECT_EQ(platformFake.audioWarningCount.load(), 2);
  EXPECT_EQ(settings.sequenceFlags[kStepAudioOut], 2);
}

TEST_F(LoadSettings, LayoutPathsAndRectangles) {
  load(
      "[background]\r\nWidth=1024\r\nHeight = 0x300\r\nshowmidichannels=1\r\n"
      "red_bitmap=red.bmp\r\ngreen_bitmap=C:\\bmp\\green.bmp\r\noff_bitmap=\"\\off.bmp\"\r\n"
      "Meter_left=-5\r\nMeter_top=6\r\nBitmap_left=7\r\nBitmap_top=8abc\r\n"
      "meter_on=on.bmp\r\nmeter_off=off.bmp\r\n"
      "text_window=10, 20,300,400\r\nvideo_button=1 ,2,3,4\r\ncontinue_button=x\r\n"
      "[audio]\r\nloop=D:loop.wav\r\n");
  EXPECT_EQ(settings.width, 1024);
  EXPECT_EQ(settings.height, 0x300);
  EXPECT_EQ(settings.showmidichannels, 1);
  const std::string folderPath = exeFolder;
  EXPECT_EQ(std::string(settings.redBitmap), folderPath + "red.bmp");
  EXPECT_EQ(std::string(settings.greenBitmap), "C:\\bmp\\green.bmp");
  EXPECT_EQ(std::string(settings.offBitmap), folderPath + "\\off.bmp");
  EXPECT_EQ(std::string(settings.meterOn), folderPath + "on.bmp");
  EXPECT_EQ(std::string(settings.meterOff), folderPath + "off.bmp");
  EXPECT_EQ(std::string(settings.loopPath), "D:loop.wav");
  EXPECT_EQ(settings.meterLeft, -5);
  EXPECT_EQ(settings.meterTop, 6);
  EXPECT_EQ(settings.bitmapLeft, 7);
  EXPECT_EQ(settings.bitmapTop, 8);
  expectRect(settings.textWindow, {10, 20, 300, 400});
  expectRect(settings.videoButton, {1, 0, 0, 0});
  expectRect(settings.continueButton, {0, 0, 0, 0});
}

TEST_F(LoadSettings, LongPathValueIsCutNotOverflowed) {
  const std::string value(200, 'p');
  load("[background]\nred_bitmap=" + value + "\n");
  const std::string expected = std::string(exeFolder) + value.substr(0, kValueCapacity - 1);
  EXPECT_EQ(std::string(settings.redBitmap), expected.substr(0, kPathCapacity - 1));
}

TEST_F(LoadSettings, ControlMapEntries) {
  load(
      "[notes]\n"
      "0=1,2,3,4\n"        // four numbers: receive flag 0
      "1=10,20,30,40,1\n"  // receive target
      "2=abc\n"            // defined, zero rectangle
      "3=\n"               // empty: not defined
      "4=\"5,6,7,8,9\"\n"  // quotes stripped
      "60:3=1,1,1,1,1\n"   // channel 3 note 60
      "127:16=9,9,9,9\n"   // last index
      "0:1=4,4,4,4\n"      // first channel index
      "07=7,7,7,7\n5:0=7,7,7,7\n5:17=7,7,7,7\n128=7,7,7,7\n 6 =6,6,6,6\n6=ignored\n"
      "[controllers]\n7:16=1,2,3,4\n127=5,6\n");
  EXPECT_EQ(controlMap.noteDefined[0], 1);
  expectRect(controlMap.noteRect[0], {1, 2, 3, 4});
  EXPECT_EQ(controlMap.receiveFlag[0], 0);
  EXPECT_EQ(controlMap.receiveFlag[1], 1);
  expectRect(controlMap.noteRect[1], {10, 20, 30, 40});
  EXPECT_EQ(controlMap.noteDefined[2], 1);
  expectRect(controlMap.noteRect[2], {0, 0, 0, 0});
  EXPECT_EQ(controlMap.receiveFlag[2], 0);
  EXPECT_EQ(controlMap.noteDefined[3], 0);
  expectRect(controlMap.noteRect[4], {5, 6, 7, 8});
  EXPECT_EQ(controlMap.receiveFlag[4], 9);
  EXPECT_EQ(controlMap.noteDefined[channelIndex(3, 60)], 1);
  EXPECT_EQ(controlMap.receiveFlag[channelIndex(3, 60)], 1);
  EXPECT_EQ(controlMap.noteDefined[channelIndex(16, 127)], 1);
  EXPECT_EQ(controlMap.noteDefined[channelIndex(1, 0)], 1);
  expectRect(controlMap.noteRect[6], {6, 6, 6, 6});
  EXPECT_EQ(controlMap.noteDefined[7], 0);
  EXPECT_EQ(controlMap.noteDefined[5], 0);
  EXPECT_EQ(countDefined(controlMap.noteDefined), 8);

  EXPECT_EQ(controlMap.controllerDefined[channelIndex(16, 7)], 1);
  expectRect(controlMap.controllerRect[channelIndex(16, 7)], {1, 2, 3, 4});
  EXPECT_EQ(controlMap.controllerDefined[127], 1);
  expectRect(controlMap.controllerRect[127], {5, 6, 0, 0});
  EXPECT_EQ(countDefined(controlMap.controllerDefined), 2);
  EXPECT_EQ(controlMap.noteDefined[channelIndex(16, 7)], 0);
}

TEST_F(LoadSettings, ReloadClearsDefinitionsButKeepsUnscannedFields) {
  load("[notes]\n5=1,2,3,4,1\n6=1,2,3,4\n");
  load("[notes]\n6=9,8\n");
  EXPECT_EQ(controlMap.noteDefined[5], 0);
  EXPECT_EQ(controlMap.noteDefined[6], 1);
  expectRect(controlMap.noteRect[6], {9, 8, 3, 4});
}

}  // namespace
