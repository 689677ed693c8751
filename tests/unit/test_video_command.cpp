#include <cstring>
#include <string>

#include "ui/video_command.h"

#include <gtest/gtest.h>

static std::string extensionOf(const char* path) {
  char out[kExtensionCapacity] = "?";
  return videoExtension(path, out, sizeof(out)) ? out : "<refused>";
}

TEST(VideoExtension, TakesTheTailFromTheLastDotOfTheWholePath) {
  EXPECT_EQ(extensionOf("C:\\v\\intro.avi"), ".avi");
  EXPECT_EQ(extensionOf("C:\\v\\a.b.mpeg"), ".mpeg");
  // A file name without a dot takes the tail of a dotted folder name.
  EXPECT_EQ(extensionOf("C:\\v.d\\in"), ".d\\in");
  EXPECT_EQ(extensionOf("C:\\videos\\intro"), ".mov");
  // The first character is never examined.
  EXPECT_EQ(extensionOf(".x"), ".mov");
  EXPECT_EQ(extensionOf(""), ".mov");
}

TEST(VideoExtension, RefusesATailLongerThanItsBuffer) {
  EXPECT_EQ(extensionOf("C:\\v\\clip.abcdef"), ".abcdef");
  EXPECT_EQ(extensionOf("C:\\v\\clip.abcdefg"), "<refused>");
  EXPECT_EQ(extensionOf("C:\\v.folder\\clip"), "<refused>");
}

static std::string command(const char* tmpl, const char* path, size_t capacity = 256) {
  char out[512];
  std::string sentinel(512, '#');
  memcpy(out, sentinel.data(), sizeof(out));
  bool ok = composePlayerCommand(tmpl, path, out, capacity);
  // Nothing may be written beyond the capacity given.
  for (size_t i = capacity; i < sizeof(out); ++i) {
    EXPECT_EQ(out[i], '#') << "written past capacity at " << i;
  }
  return ok ? std::string(out) : "<refused>";
}

TEST(PlayerCommand, ReplacesTheFirstPercentAndItsFollower) {
  EXPECT_EQ(command("\"C:\\p\\play.exe\" \"%1\"", "C:\\v\\a.mov"),
            "\"C:\\p\\play.exe\" \"C:\\v\\a.mov\"");
  EXPECT_EQ(command("play.exe %1 /fullscreen", "x.mov"), "play.exe x.mov /fullscreen");
  EXPECT_EQ(command("p %L %1 end", "x"), "p x %1 end");
}

TEST(PlayerCommand, IgnoresAPercentAmongTheLastTwoCharacters) {
  EXPECT_EQ(command("play.exe %1", "x.mov"), "<refused>");
  EXPECT_EQ(command("play.exe %", "x.mov"), "<refused>");
  EXPECT_EQ(command("%1", "x"), "<refused>");
  EXPECT_EQ(command("play.exe", "x"), "<refused>");
  EXPECT_EQ(command("%1\"", "x"), "x\"");
}

TEST(PlayerCommand, RefusesALineLongerThanItsBuffer) {
  std::string path(240, 'p');
  EXPECT_EQ(command("play \"%1\" --x", path.c_str()), "play \"" + path + "\" --x");
  std::string longer(250, 'p');
  EXPECT_EQ(command("play \"%1\" --x", longer.c_str()), "<refused>");
  EXPECT_EQ(command("ab%1cd", "xyz", 8), "abxyzcd");
  EXPECT_EQ(command("ab%1cd", "xyzw", 8), "<refused>");
}
