#include "ini_corpus.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <random>

std::string controlKey(int index) {
  char text[16];
  if (index < 128) {
    snprintf(text, sizeof text, "%d", index);
  } else {
    snprintf(text, sizeof text, "%d:%d", index % 128, index / 128);
  }
  return text;
}

std::string fullMapIni() {
  std::string text;
  for (const char* section : {"notes", "controllers"}) {
    text += std::string("[") + section + "]\r\n";
    for (int index = 0; index < 2176; ++index) {
      char line[64];
      snprintf(line, sizeof line, "%s=%d,%d,%d,%d,%d\r\n", controlKey(index).c_str(), index % 1024,
               index / 3, 10 + index % 7, 20 + index % 5, index % 2);
      text += line;
    }
  }
  return text;
}

static std::string repeat(char c, int count) {
  return std::string(count, c);
}

static IniFile quotesFile() {
  return {"quotes.ini",
          "[notes]\r\n0=\"1,2,3,4\"\r\n1='5,6,7,8'\r\n2=\"abc'\r\n3=\"\r\n4=\"\"\r\n5=''\r\n"
          "6=\" 1,2 \"\r\n7=\"x\"y\"\r\n8='''\r\n9=\"'\"\r\n10=\"" +
              repeat('1', 126) + "\"\r\n11=\"" + repeat('2', 127) + "\"\r\n12=\"" +
              repeat('3', 128) + "\"\r\n13='" + repeat('4', 200) + "'\r\n14=\"5\r\n15=5\"\r\n" +
              "1:1='q'\r\n2:1=  \"  \"  \r\n[controllers]\r\n0='1,2'\r\n1=\"\"\"\r\n"};
}

static IniFile blanksFile() {
  return {"blanks.ini",
          "[notes]\n  14  =  1,2  \n\t15\t=\t3\t\n16=\v4\f\n17=\x1a"
          "5\x1a\n18=\xa0 7\n 19 :1=9\n19:1 = 8\n20: 1=1\n  \t  \n21 =\n22= \n"
          "[controllers]\n\x1a"
          "23=1\n24\t=\t\"\t2\t\"\t\n"};
}

static IniFile duplicatesFile() {
  return {"duplicates.ini",
          "[notes]\r\n7\r\n7=1,2,3,4\r\n8=first\r\n8=second\r\n9=\r\n9=later\r\n"
          "[controllers]\r\n1=c1\r\n[NOTES]\r\n10=only in second notes\r\n8=third\r\n"
          "[Controllers]\r\n2=only in second controllers\r\n[notes]\r\n11=third notes\r\n"};
}

static IniFile commentsFile() {
  return {"comments.ini",
          "; leading comment\r\n[notes]\r\n;0=1,2,3,4\r\n; 1=1,2,3,4\r\n#2=1,2,3,4\r\n"
          "3=a;b\r\n//4=1\r\nrem 5=1\r\n6=1,2 ; trailing comment\r\n;7\r\n7=after comment\r\n"
          "[controllers] ; comment after header\r\n;[notes]\r\n0=x\r\n"};
}

static IniFile oddKeysFile() {
  return {"odd_keys.ini",
          "[notes]\n07=a\n5:0=b\n5:17=c\n0:0=d\n128=e\n-1=f\n+5=g\n5:01=h\n05:1=i\n 7 =j\n"
          "7 :1=k\n0x8=l\n1e2=m\n12:3 =n\n2176=o\n127:16=p\n128:1=q\n5: 2=r\n6 : 2=s\n"
          "[controllers]\n127:016=t\n00=u\n1:1:1=v\n=w\n:=x\n"};
}

static IniFile longValuesFile() {
  return {"long_values.ini", "[notes]\r\n0=" + repeat('a', 127) + "\r\n1=" + repeat('b', 128) +
                                 "\r\n2=" + repeat('c', 200) + "\r\n3=" + repeat('d', 1000) +
                                 "\r\n4=" + repeat('e', 125) + "   \r\n5=" + repeat('f', 126) +
                                 " g\r\n[controllers]\r\n0=\"" + repeat('h', 300) + "\"\r\n"};
}

static IniFile emptyValuesFile() {
  return {"empty_values.ini",
          "[notes]\r\n9=\r\n10= \r\n11=\"\"\r\n12=''\r\n13= \"\" \r\n14\r\n15 =\r\n=\r\n"
          "[controllers]\r\n[other]\r\n0=1\r\n"};
}

static IniFile lineEndsFile(const char* name, const char* end) {
  std::string text;
  for (const char* line :
       {"[notes]", "0=1,2,3,4", "1=5,6", "2:1=7", "[controllers]", "3=8", "4=\"9\"", "127:16=1"}) {
    text += line;
    text += end;
  }
  return {name, text};
}

static IniFile mixedEndsFile() {
  return {"mixed_ends.ini",
          "[notes]\r0=a\n1=b\r\n2=c\r\r\n3=d\n\r4=e\n\n5=f\r[controllers]\n\r0=g\r\n1=h"};
}

static IniFile headersFile() {
  return {"headers.ini",
          "0=before any section\r\n  [ notes ]  \r\n1=spaced header\r\n[notes\r\n2=open header\r\n"
          "[controllers]x]\r\n3=odd header\r\n\t[CONTROLLERS]\t\r\n4=upper\r\n"};
}

// Lines built from the pieces that matter: key-like names with blanks and stray
// characters, '=' or not, quotes, and now and then a section header.
static IniFile randomFile(int seed) {
  std::mt19937 random(seed);
  auto pick = [&](int count) { return static_cast<int>(random() % count); };
  const char* const headers[] = {"[notes]", "[controllers]", "[Notes ]", "[x]", "[NOTES]"};
  const char* const blanks[] = {"", "", " ", "\t", "  "};
  const char* const odd[] = {"0", ":", ";", "#", "+", "\"", "'", "a"};
  const char* const ends[] = {"\r\n", "\n", "\r"};
  std::string text = "[notes]\r\n";
  for (int line = 0; line < 3000; ++line) {
    if (pick(200) == 0) {
      text += headers[pick(5)];
    } else {
      text += blanks[pick(5)];
      if (pick(10) == 0) {
        text += odd[pick(8)];
      }
      text += controlKey(pick(10) == 0 ? pick(2176) : pick(3) * 128 + pick(20));
      if (pick(10) == 0) {
        text += odd[pick(8)];
      }
      text += blanks[pick(5)];
      if (pick(8) != 0) {
        text += "=";
        text += blanks[pick(5)];
        const char* quote = pick(4) == 0 ? odd[5 + pick(2)] : "";
        text += quote;
        text += std::to_string(pick(1000)) + "," + std::to_string(pick(1000));
        if (pick(30) == 0) {
          text += std::string(120 + pick(20), 'z');
        }
        text += pick(3) == 0 ? odd[5 + pick(2)] : quote;
        text += blanks[pick(5)];
      }
    }
    text += ends[pick(3)];
  }
  return {"random" + std::to_string(seed) + ".ini", text};
}

std::vector<IniFile> awkwardIniFiles() {
  std::vector<IniFile> files = {quotesFile(),
                                blanksFile(),
                                duplicatesFile(),
                                commentsFile(),
                                oddKeysFile(),
                                longValuesFile(),
                                emptyValuesFile(),
                                mixedEndsFile(),
                                headersFile(),
                                lineEndsFile("crlf.ini", "\r\n"),
                                lineEndsFile("lf.ini", "\n"),
                                lineEndsFile("cr.ini", "\r"),
                                {"full_map.ini", fullMapIni()},
                                {"bom.ini", "\xEF\xBB\xBF[notes]\r\n0=1,2,3,4\r\n"},
                                {"empty.ini", ""}};
  for (int seed = 1; seed <= 3; ++seed) {
    files.push_back(randomFile(seed));
  }
  return files;
}

std::string makeTempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  char folder[MAX_PATH];
  snprintf(folder, sizeof folder, "%svelk-config-%lu-%lu\\", base, GetCurrentProcessId(),
           GetTickCount());
  CreateDirectoryA(folder, nullptr);
  return folder;
}

std::string writeIniFile(const std::string& folder, const IniFile& file) {
  const std::string path = folder + file.name;
  std::ofstream(path, std::ios::binary) << file.content;
  return path;
}
