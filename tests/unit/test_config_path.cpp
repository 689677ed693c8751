// The path rule: which configured paths stay as they are, and joins that do not fit.
#include <cstring>
#include <string>

#include "config/path_rule.h"

#include <gtest/gtest.h>

namespace {

class PathRule : public ::testing::Test {
 protected:
  void SetUp() override { setExeFolder("C:\\Velk\\"); }
  void TearDown() override { setExeFolder(""); }

  static std::string absolute(const char* value, PathForm form, bool expectWhole = true) {
    char path[kPathCapacity];
    strcpy(path, value);
    EXPECT_EQ(makeAbsolutePath(path, sizeof path, form), expectWhole) << value;
    return path;
  }
};

TEST_F(PathRule, BasicFormKeepsOnlyDriveLetterPaths) {
  EXPECT_EQ(absolute("D:\\units\\mixer.ini", PathForm::Basic), "D:\\units\\mixer.ini");
  EXPECT_EQ(absolute("mixer.ini", PathForm::Basic), "C:\\Velk\\mixer.ini");
  EXPECT_EQ(absolute("", PathForm::Basic), "C:\\Velk\\");
  EXPECT_EQ(absolute("\\share\\a.txt", PathForm::Basic), "C:\\Velk\\\\share\\a.txt");
  EXPECT_EQ(absolute("http://host/a.wmv", PathForm::Basic), "C:\\Velk\\http://host/a.wmv");
  EXPECT_EQ(absolute("x", PathForm::Basic), "C:\\Velk\\x");
}

TEST_F(PathRule, ExtendedFormAlsoKeepsRootedAndSchemePaths) {
  EXPECT_EQ(absolute("\\share\\a.txt", PathForm::Extended), "\\share\\a.txt");
  EXPECT_EQ(absolute("http://host/a.wmv", PathForm::Extended), "http://host/a.wmv");
  EXPECT_EQ(absolute("D:a.txt", PathForm::Extended), "D:a.txt");
  EXPECT_EQ(absolute("ftp:/a", PathForm::Extended), "C:\\Velk\\ftp:/a");
  EXPECT_EQ(absolute("pages\\a.txt", PathForm::Extended), "C:\\Velk\\pages\\a.txt");
  EXPECT_EQ(absolute("", PathForm::Extended), "C:\\Velk\\");
}

TEST_F(PathRule, OverlongJoinIsCutAtTheBufferEnd) {
  std::string folder = "C:\\" + std::string(196, 'f') + "\\";  // 200 characters
  setExeFolder(folder.c_str());
  const std::string value(127, 'v');
  char buffer[kPathCapacity + 8];
  memset(buffer, '#', sizeof buffer);
  strcpy(buffer, value.c_str());
  EXPECT_FALSE(makeAbsolutePath(buffer, kPathCapacity));
  EXPECT_EQ(std::string(buffer), (folder + value).substr(0, kPathCapacity - 1));
  EXPECT_EQ(std::string(buffer + kPathCapacity, 8), std::string(8, '#'));

  // Exactly 255 characters still fit whole.
  strcpy(buffer, value.substr(0, 55).c_str());
  EXPECT_TRUE(makeAbsolutePath(buffer, kPathCapacity));
  EXPECT_EQ(strlen(buffer), kPathCapacity - 1);
}

TEST_F(PathRule, TinyBuffersNeverOverflow) {
  char buffer[8];
  memset(buffer, '#', sizeof buffer);
  buffer[0] = 'a';
  buffer[1] = '\0';
  EXPECT_FALSE(makeAbsolutePath(buffer, 4));
  EXPECT_EQ(std::string(buffer), "C:\\");
  EXPECT_EQ(buffer[4], '#');

  buffer[0] = 'a';
  buffer[1] = '\0';
  EXPECT_FALSE(makeAbsolutePath(buffer, 1));
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], '\0');  // untouched: it was the old terminator

  buffer[0] = 'z';
  EXPECT_FALSE(makeAbsolutePath(buffer, 0));
  EXPECT_EQ(buffer[0], 'z');

  // An unterminated buffer is taken as full and gets its terminator inside.
  memset(buffer, 'q', sizeof buffer);
  EXPECT_FALSE(makeAbsolutePath(buffer, 6));
  EXPECT_EQ(std::string(buffer), "C:\\Ve");
  EXPECT_EQ(buffer[6], 'q');
}

TEST_F(PathRule, EmptyFolderLeavesRelativePathsAlone) {
  setExeFolder("");
  EXPECT_EQ(absolute("a.ini", PathForm::Basic), "a.ini");
}

}  // namespace
