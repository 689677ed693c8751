// INI value rules: the in-memory section lookup and the native stand-in of the profile
// reads. Expected values are what the Windows service returned for the same lines.
#include <cstdint>
#include <filesystem>
#include <string>

#include "config/ini_section.h"
#include "config/profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::string lookup(const IniSection& section, const char* key, size_t capacity = 128) {
  char out[512];
  lookupIniValue(section, key, out, capacity);
  return out;
}

TEST(IniSection, ValueRules) {
  const IniSection section = parseIniSection(
      "a=\"q v\"\0b='a b'\0c=\"abc'\0d=\"\0e=\"\"\0f=a ; b\0g=x = y\0Key=Mixed\0"
      "h=\"  spaced  \"\0i=\0j\0 k  =  blanks\t\0\0"s);
  EXPECT_EQ(lookup(section, "a"), "q v");
  EXPECT_EQ(lookup(section, "b"), "a b");
  EXPECT_EQ(lookup(section, "c"), "\"abc'");  // quotes that do not match stay
  EXPECT_EQ(lookup(section, "d"), "\"");
  EXPECT_EQ(lookup(section, "e"), "");
  EXPECT_EQ(lookup(section, "f"), "a ; b");  // no inline comments
  EXPECT_EQ(lookup(section, "g"), "x = y");
  EXPECT_EQ(lookup(section, "KEY"), "Mixed");
  EXPECT_EQ(lookup(section, "key"), "Mixed");
  EXPECT_EQ(lookup(section, "h"), "  spaced  ");
  EXPECT_EQ(lookup(section, "i"), "");
  EXPECT_EQ(lookup(section, "j"), "");
  EXPECT_EQ(lookup(section, "k"), "blanks");
  EXPECT_EQ(lookup(section, " k "), "blanks");
  EXPECT_EQ(lookup(section, "missing"), "");
}

TEST(IniSection, FirstOfDuplicateKeysWinsEvenWithoutEquals) {
  const IniSection section = parseIniSection(
      "7\0"
      "7=1,2,3,4\0"
      "8=first\0"
      "8=second\0\0"s);
  EXPECT_EQ(lookup(section, "7"), "");
  EXPECT_EQ(lookup(section, "8"), "first");
}

TEST(IniSection, PlainDecimalKeysOnly) {
  const IniSection section = parseIniSection(
      "07=a\0"
      "5:0=b\0"
      "5:01=c\0"
      "+5=d\0\0"s);
  EXPECT_EQ(lookup(section, "7"), "");
  EXPECT_EQ(lookup(section, "5"), "");
  EXPECT_EQ(lookup(section, "5:1"), "");
  EXPECT_EQ(lookup(section, "07"), "a");
}

TEST(IniSection, ValuesAreCutToTheBuffer) {
  const std::string b128(128, 'B');
  const std::string c126(126, 'C');
  const std::string c127(127, 'C');
  const std::string c128(128, 'C');
  const IniSection section = parseIniSection("b=" + b128 + "\0"s + "d=\"" + c126 + "\"\0"s +
                                             "e=\"" + c127 + "\"\0"s + "f=\"" + c128 + "\"\0"s);
  EXPECT_EQ(lookup(section, "b"), b128.substr(0, 127));
  EXPECT_EQ(lookup(section, "d"), c126);
  // One character too long for the buffer once quoted: the service loses a character of
  // the value, not the quote.
  EXPECT_EQ(lookup(section, "e"), c126);
  EXPECT_EQ(lookup(section, "f"), c127);
  EXPECT_EQ(lookup(section, "b", 5), "BBBB");
  EXPECT_EQ(lookup(section, "b", 1), "");
}

class ProfileStandIn : public TempFolderTest {};

TEST_F(ProfileStandIn, FileRulesMatchTheService) {
  const std::string path = writeFile(
      "a.ini",
      "1=before any section\r\n[notes]\r\n;comment\r\n;5=cmt\r\n#6=hash\r\njunk line\r\n7\r\n"
      "7=1,2,3,4\r\n  8  =  \"q v\"  \r\n15=\t tab\t \r\n16=a\x1a\r\n18=\xa0x\xa0\r\n"
      "19=\vv\f\r\n21=first\r\n21=second\r\n[Notes]\r\n22=duplicate section\r\n"
      "[ other ] trailing\r\n23=spaced\r\n[broken\r\n24=in other\r\n"
      "[cr]\r2=cr\r3=cr3\n4=lf\n[x]\r\n25=x\0y\r\n"s);
  char out[128];
  auto read = [&](const char* section, const char* key) {
    readProfileString(path.c_str(), section, key, out, sizeof out);
    return std::string(out);
  };
  EXPECT_EQ(read("notes", "5"), "");
  EXPECT_EQ(read("notes", ";5"), "cmt");
  EXPECT_EQ(read("notes", "#6"), "hash");
  EXPECT_EQ(read("notes", "junk line"), "");
  EXPECT_EQ(read("notes", "7"), "");
  EXPECT_EQ(read("NOTES", "8"), "q v");
  EXPECT_EQ(read("notes", "15"), "tab");
  EXPECT_EQ(read("notes", "16"), "a");
  EXPECT_EQ(read("notes", "18"), "\xa0x\xa0");
  EXPECT_EQ(read("notes", "19"), "v");
  EXPECT_EQ(read("notes", "21"), "first");
  EXPECT_EQ(read("notes", "22"), "");
  EXPECT_EQ(read(" other ", "23"), "spaced");
  EXPECT_EQ(read("other", "24"), "in other");
  EXPECT_EQ(read("cr", "3"), "cr3");
  EXPECT_EQ(read("cr", "4"), "lf");
  EXPECT_EQ(read("x", "25"), "x");
  EXPECT_EQ(read("", "1"), "before any section");
  EXPECT_EQ(readProfileSection(path.c_str(), "notes"),
            "#6=hash\0junk line\0"
            "7\0"
            "7=1,2,3,4\0"
            "8=\"q v\"\0"
            "15=tab\0"
            "16=a\0"
            "18=\xa0x\xa0\0"
            "19=v\0"
            "21=first\0"
            "21=second\0\0"s);
  EXPECT_EQ(readProfileSection(path.c_str(), " other "), "\0"s);
  EXPECT_EQ(readProfileSection(path.c_str(), "missing"), "\0"s);
  EXPECT_EQ(readProfileSection((folder() + "/none.ini").c_str(), "notes"), "\0"s);
}

// The stand-in keeps the last file it parsed; a file rewritten at once with the same size,
// or another file of the same bytes, must never be answered from a stale parse.
TEST_F(ProfileStandIn, RewrittenFileIsReadAgain) {
  char out[128];
  auto read = [&](const std::string& path, const char* section, const char* key) {
    readProfileString(path.c_str(), section, key, out, sizeof out);
    return std::string(out);
  };
  const std::string a = writeFile("a.ini", "[s]\nk=one\n");
  const std::string b = writeFile("b.ini", "[s]\nk=two\n");
  EXPECT_EQ(read(a, "s", "k"), "one");
  EXPECT_EQ(read(b, "s", "k"), "two");
  EXPECT_EQ(read(a, "s", "k"), "one");
  writeFile("a.ini", "[s]\nk=new\n");
  EXPECT_EQ(read(a, "s", "k"), "new");
  EXPECT_EQ(readProfileSection(a.c_str(), "s"), "k=new\0\0"s);
  writeFile("a.ini", "[t]\nk=moved\n");
  EXPECT_EQ(read(a, "s", "k"), "");
  EXPECT_EQ(read(a, "t", "k"), "moved");
  std::filesystem::remove(a);
  EXPECT_EQ(read(a, "t", "k"), "");
  EXPECT_EQ(readProfileSection(a.c_str(), "t"), "\0"s);
}

TEST_F(ProfileStandIn, IntegersAreConvertedLikeTheService) {
  const std::string path =
      writeFile("i.ini",
                "[s]\nn1=0x1F\nn2=12abc\nn3=abc\nn4=\nn5= -5\nn6=+7\nn7=-0x10\nn8=0X1F\nn9=0b101\n"
                "n10=0o17\nn11=010\nn12=4294967295\nn13=4294967296\nn14=99999999999\n"
                "n15=-2147483649\nn16=\"  42\"\nn17='-3'\nn18=000000000000000000000000000012\n"
                "n19=00000000000000000000000000012\nn20=1 2\nn22=--5\nn24=0x\nn26=\"\"\n"
                "n27=2147483648\nn28=' '\n");
  const struct {
    const char* key;
    int value;
  } cases[] = {{"n1", 31},      {"n2", 12},  {"n3", 0},    {"n4", 777},         {"n5", -5},
               {"n6", 7},       {"n7", -16}, {"n8", 0},    {"n9", 5},           {"n10", 15},
               {"n11", 10},     {"n12", -1}, {"n13", 0},   {"n14", 1215752191}, {"n15", 2147483647},
               {"n16", 42},     {"n17", -3}, {"n18", 1},   {"n19", 12},         {"n20", 1},
               {"n22", 0},      {"n24", 0},  {"n26", 777}, {"n27", INT32_MIN},  {"n28", 0},
               {"missing", 777}};
  for (const auto& c : cases) {
    EXPECT_EQ(readProfileInt(path.c_str(), "s", c.key, 777), c.value) << c.key;
  }
}

}  // namespace
