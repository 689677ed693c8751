// The [video] keys: which key a step and channel pair read, and the fall-back to the step's.
#include <cstdio>
#include <string>

#include "base/steps.h"
#include "config/device_select.h"
#include "config/video_keys.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(VideoKey, PairKeysOnlyInTheAudioSteps) {
  char key[32];
  videoKey(kStepNoteTest, 3, key, sizeof(key));
  EXPECT_STREQ(key, "video3");
  videoKey(kStepAudioOut, 1, key, sizeof(key));
  EXPECT_STREQ(key, "video6_2");
  videoKey(kStepAudioIn, 0, key, sizeof(key));
  EXPECT_STREQ(key, "video7_1");
  videoKey(kStepAudioIn, -1, key, sizeof(key));
  EXPECT_STREQ(key, "video7");
}

class VideoPath : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    const std::string path = writeFile("settings.ini",
                                       "[video]\r\nvideo3=notes.avi\r\nvideo3_1=never.avi\r\n"
                                       "video6=out.avi\r\nvideo6_2=pair2.avi\r\n");
    std::snprintf(settingsPath, sizeof settingsPath, "%s", path.c_str());
  }
  void TearDown() override {
    settingsPath[0] = '\0';
    TempFolderTest::TearDown();
  }

  static std::string read(int step, int pair) {
    char path[kPathCapacity] = "?";
    return readVideoPath(step, pair, path) ? path : "<none>";
  }
};

TEST_F(VideoPath, PairFallsBackToTheStepOnlyInAnAudioStep) {
  EXPECT_EQ(read(kStepAudioOut, 1), "pair2.avi");
  EXPECT_EQ(read(kStepAudioOut, 0), "out.avi");
  EXPECT_EQ(read(kStepAudioOut, -1), "out.avi");
  EXPECT_EQ(read(kStepAudioIn, 0), "<none>");
  // Outside the audio steps a pair has no key of its own: the step's key answers.
  EXPECT_EQ(read(kStepNoteTest, 0), "notes.avi");
  EXPECT_EQ(read(kStepControllerTest, 0), "<none>");
}

}  // namespace
