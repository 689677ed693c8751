// The number-list forms of the settings file: what a partial or odd value leaves behind.
#include <climits>

#include "config/scan.h"

#include <gtest/gtest.h>

namespace {

ControlRect marked() {
  return {-7, -7, -7, -7};
}

TEST(SettingsScan, FullRectangleAndNoteEntry) {
  ControlRect rect = marked();
  EXPECT_EQ(scanRectangle("10,20,30,40", rect), 4);
  EXPECT_EQ(rect.x, 10);
  EXPECT_EQ(rect.height, 40);

  int32_t receive = -7;
  EXPECT_EQ(scanNoteEntry("1,2,3,4,1", rect, receive), 5);
  EXPECT_EQ(rect.x, 1);
  EXPECT_EQ(rect.height, 4);
  EXPECT_EQ(receive, 1);
}

TEST(SettingsScan, StopsAtFirstMisfitAndKeepsLaterFields) {
  struct Case {
    const char* text;
    int stored;
    ControlRect rect;
  };
  const Case cases[] = {
      {"1 ,2,3,4", 1, {1, -7, -7, -7}},      // a blank before a comma stops the scan
      {"1, 2,\t3,\n4", 4, {1, 2, 3, 4}},     // blanks before a number are fine
      {"  +5,-6,+0,-0", 4, {5, -6, 0, 0}},   // signs
      {"1,2,,4", 2, {1, 2, -7, -7}},         // empty field
      {"1;2,3,4", 1, {1, -7, -7, -7}},       // wrong separator
      {"12abc,3,4,5", 1, {12, -7, -7, -7}},  // letters after a number
      {"abc", 0, {-7, -7, -7, -7}},          // letters first
      {"", 0, {-7, -7, -7, -7}},
      {"-,1,2,3", 0, {-7, -7, -7, -7}},  // a sign alone is no number
      {"1,2,3,4,5,6", 4, {1, 2, 3, 4}},  // extra fields ignored
      {"1,2,3", 3, {1, 2, 3, -7}},
      {"0x10,2,3,4", 1, {0, -7, -7, -7}},  // decimal only
  };
  for (const Case& c : cases) {
    ControlRect rect = marked();
    EXPECT_EQ(scanRectangle(c.text, rect), c.stored) << c.text;
    EXPECT_EQ(rect.x, c.rect.x) << c.text;
    EXPECT_EQ(rect.y, c.rect.y) << c.text;
    EXPECT_EQ(rect.width, c.rect.width) << c.text;
    EXPECT_EQ(rect.height, c.rect.height) << c.text;
  }
}

TEST(SettingsScan, HugeNumbersSaturate) {
  ControlRect rect = marked();
  EXPECT_EQ(scanRectangle("99999999999999999999999999,-99999999999999999999,2147483647,-2147483648",
                          rect),
            4);
  EXPECT_EQ(rect.x, INT32_MAX);
  EXPECT_EQ(rect.y, INT32_MIN);
  EXPECT_EQ(rect.width, INT32_MAX);
  EXPECT_EQ(rect.height, INT32_MIN);
  EXPECT_EQ(scanRectangle("2147483648,-2147483649,0000000000000000000000000000007,1", rect), 4);
  EXPECT_EQ(rect.x, INT32_MAX);
  EXPECT_EQ(rect.y, INT32_MIN);
  EXPECT_EQ(rect.width, 7);
}

TEST(SettingsScan, NoteEntryWithFourNumbersKeepsReceiveFlag) {
  ControlRect rect = marked();
  int32_t receive = 0;
  EXPECT_EQ(scanNoteEntry("5,6,7,8", rect, receive), 4);
  EXPECT_EQ(rect.width, 7);
  EXPECT_EQ(receive, 0);
  receive = 3;
  EXPECT_EQ(scanNoteEntry("5,6,7,8, 9x", rect, receive), 5);
  EXPECT_EQ(receive, 9);
}

// The model checker reports what a value kept: the stop is the first character not used,
// and a comma that no number follows is not used.
TEST(SettingsScan, StopPointsPastTheLastStoredField) {
  ControlRect rect = marked();
  int32_t receive = 0;
  const char* stop = nullptr;
  const char* text = "1,2,x";
  EXPECT_EQ(scanRectangle(text, rect, &stop), 2);
  EXPECT_EQ(stop, text + 3);
  text = "1,2,3,4,1,7";
  EXPECT_EQ(scanNoteEntry(text, rect, receive, &stop), 5);
  EXPECT_STREQ(stop, ",7");
  text = "12 ,4";
  EXPECT_EQ(scanRectangle(text, rect, &stop), 1);
  EXPECT_STREQ(stop, " ,4");
  text = "q";
  EXPECT_EQ(scanRectangle(text, rect, &stop), 0);
  EXPECT_EQ(stop, text);
}

}  // namespace
