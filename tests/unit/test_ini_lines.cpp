// The split of a profile file into sections and key lines, shared by the native stand-in of
// the service and the model checker: line numbers as an editor counts them, and which of
// duplicate sections and keys the service reads.
#include <string>

#include "config/ini_lines.h"

#include <gtest/gtest.h>

TEST(IniLines, LinesAreNumberedAsAnEditorCountsThem) {
  // CR LF is one line end; a lone CR or LF is one too; blank lines still count.
  const std::string text = "\xEF\xBB\xBF[a]\r\nx=1\r\n\r\ny = 2 \rz\n;c=3\r\n  [ b ] tail\nw=\x1a";
  const IniLines lines = splitIniLines(text);
  EXPECT_TRUE(lines.byteOrderMark);
  EXPECT_EQ(lines.lineCount, 8);
  ASSERT_EQ(lines.sections.size(), 3u);
  const IniSectionText& a = lines.sections[1];
  EXPECT_EQ(a.name, "a");
  EXPECT_EQ(a.line, 1);
  ASSERT_EQ(a.keys.size(), 4u);
  EXPECT_EQ(a.keys[1].line, 4);
  EXPECT_EQ(a.keys[1].key, "y");
  EXPECT_EQ(a.keys[1].value, "2");
  EXPECT_EQ(a.keys[2].line, 5);
  EXPECT_FALSE(a.keys[2].hasEquals);
  EXPECT_TRUE(a.keys[3].comment);
  EXPECT_EQ(lines.sections[2].name, "b");  // up to the last ']', trimmed
  EXPECT_EQ(lines.sections[2].line, 7);
  EXPECT_EQ(lines.sections[2].keys[0].value, "");  // Ctrl-Z is a blank
}

TEST(IniLines, FirstOfDuplicateSectionsAndKeysIsRead) {
  const IniLines lines = splitIniLines("[Notes]\nk=1\nK=2\n;k=3\n[notes]\nk=4\n");
  ASSERT_EQ(lines.sections.size(), 3u);
  EXPECT_EQ(lines.sections[2].readAs, 1u);
  EXPECT_EQ(findIniSection(lines, "NOTES"), &lines.sections[1]);
  const auto keys = indexIniKeys(lines.sections[1]);
  EXPECT_EQ(keys.at("k"), 0u);
  EXPECT_EQ(keys.at(";k"), 2u);  // a comment line never hides the key it comments out
}

TEST(IniLines, LinesBeforeTheFirstHeaderHaveANameOnlyWhenTheyHoldAKey) {
  // Only comments above: a "[]" header is the first section of the empty name.
  const IniLines commented = splitIniLines("; top\n[]\nk=1\n");
  EXPECT_EQ(findIniSection(commented, ""), &commented.sections[1]);
  // A key above: it is, and the "[]" section is a duplicate never read.
  const IniLines keyed = splitIniLines("k=0\n[]\nk=1\n");
  EXPECT_EQ(findIniSection(keyed, ""), &keyed.sections[0]);
  EXPECT_EQ(keyed.sections[1].readAs, 0u);
  // No header at all.
  const IniLines headless = splitIniLines("k=0\n");
  EXPECT_EQ(findIniSection(headless, ""), &headless.sections[0]);
}
