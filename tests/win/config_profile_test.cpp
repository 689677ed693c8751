// Under Wine: the settings load reads [notes] and [controllers] once each and looks keys up
// in memory. For every awkward file, that must give exactly what one private-profile read
// per key gives.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "config/device_select.h"
#include "config/ini_section.h"
#include "config/profile.h"
#include "config/scan.h"
#include "config/settings.h"
#include "ini_corpus.h"
#include "midi/control_map.h"

#include <gtest/gtest.h>

namespace {

std::string perKeyValue(const std::string& path, const char* section, const std::string& key,
                        size_t capacity) {
  std::vector<char> out(capacity + 1, '#');
  GetPrivateProfileStringA(section, key.c_str(), "", out.data(), static_cast<DWORD>(capacity),
                           path.c_str());
  return out.data();
}

std::string sectionValue(const IniSection& section, const std::string& key, size_t capacity) {
  std::vector<char> out(capacity + 1, '#');
  lookupIniValue(section, key.c_str(), out.data(), capacity);
  return out.data();
}

class ProfileDifferential : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = makeTempFolder();
    for (const IniFile& file : awkwardIniFiles()) {
      files_.push_back({file.name, writeIniFile(folder_, file)});
    }
    files_.push_back({"missing.ini", folder_ + "missing.ini"});
  }
  static void TearDownTestSuite() {
    for (const WrittenFile& file : files_) {
      DeleteFileA(file.path.c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }

  struct WrittenFile {
    std::string name;
    std::string path;
  };
  static std::string folder_;
  static std::vector<WrittenFile> files_;
};

std::string ProfileDifferential::folder_;
std::vector<ProfileDifferential::WrittenFile> ProfileDifferential::files_;

TEST_F(ProfileDifferential, EveryControlKeyMatchesPerKeyRead) {
  for (const WrittenFile& file : files_) {
    for (const char* name : {"notes", "controllers"}) {
      const IniSection section = parseIniSection(readProfileSection(file.path.c_str(), name));
      int mismatches = 0;
      for (int index = 0; index < kControlCount && mismatches < 5; ++index) {
        const std::string key = controlKey(index);
        const std::string expected = perKeyValue(file.path, name, key, kValueCapacity);
        const std::string actual = sectionValue(section, key, kValueCapacity);
        EXPECT_EQ(actual, expected) << file.name << " [" << name << "] " << key;
        mismatches += actual != expected;
      }
    }
  }
}

TEST_F(ProfileDifferential, OddKeysAndSmallBuffersMatchPerKeyRead) {
  const char* const keys[] = {"07", "5:0", " 7 ", "#2",   "junk",  "19 :1", "1e2", "0x8",
                              "",   "=",   ":",   "5: 2", "6 : 2", "rem 5", "//4", "2176"};
  for (const WrittenFile& file : files_) {
    for (const char* name : {"notes", "controllers"}) {
      const IniSection section = parseIniSection(readProfileSection(file.path.c_str(), name));
      for (const char* key : keys) {
        EXPECT_EQ(sectionValue(section, key, kValueCapacity),
                  perKeyValue(file.path, name, key, kValueCapacity))
            << file.name << " [" << name << "] '" << key << "'";
      }
      for (size_t capacity : {1, 2, 5, 30}) {
        for (int index = 0; index < 40; ++index) {
          const std::string key = controlKey(index);
          EXPECT_EQ(sectionValue(section, key, capacity),
                    perKeyValue(file.path, name, key, capacity))
              << file.name << " [" << name << "] " << key << " capacity " << capacity;
        }
      }
    }
  }
}

// The definition tables of one load, for comparison.
struct Definitions {
  std::vector<int16_t> noteDefined, controllerDefined;
  std::vector<int32_t> receiveFlag;
  std::vector<std::vector<int32_t>> noteRect, controllerRect;
};

std::vector<int32_t> fields(const ControlRect& rect) {
  return {rect.x, rect.y, rect.width, rect.height};
}

Definitions currentDefinitions() {
  Definitions d;
  for (int i = 0; i < kControlCount; ++i) {
    d.noteDefined.push_back(controlMap.noteDefined[i]);
    d.controllerDefined.push_back(controlMap.controllerDefined[i]);
    d.receiveFlag.push_back(controlMap.receiveFlag[i]);
    d.noteRect.push_back(fields(controlMap.noteRect[i]));
    d.controllerRect.push_back(fields(controlMap.controllerRect[i]));
  }
  return d;
}

// The control map as one private-profile read per key fills it.
void perKeyReferenceLoad(const std::string& path) {
  for (int index = 0; index < kControlCount; ++index) {
    const std::string key = controlKey(index);
    const std::string note = perKeyValue(path, "notes", key, kValueCapacity);
    controlMap.noteDefined[index] = !note.empty();
    if (!note.empty()) {
      scanNoteEntry(note.c_str(), controlMap.noteRect[index], controlMap.receiveFlag[index]);
    }
    const std::string controller = perKeyValue(path, "controllers", key, kValueCapacity);
    controlMap.controllerDefined[index] = !controller.empty();
    if (!controller.empty()) {
      scanRectangle(controller.c_str(), controlMap.controllerRect[index]);
    }
  }
}

TEST_F(ProfileDifferential, LoadSettingsTablesMatchPerKeyReferenceLoad) {
  strcpy(exeFolder, "C:\\velk\\");
  strcpy(asioDriverName, "Velk ASIO");
  for (const WrittenFile& file : files_) {
    snprintf(settingsPath, sizeof settingsPath, "%s", file.path.c_str());
    clearControlMap();
    loadSettings();
    const Definitions loaded = currentDefinitions();
    clearControlMap();
    perKeyReferenceLoad(file.path);
    const Definitions reference = currentDefinitions();
    EXPECT_EQ(loaded.noteDefined, reference.noteDefined) << file.name;
    EXPECT_EQ(loaded.controllerDefined, reference.controllerDefined) << file.name;
    EXPECT_EQ(loaded.receiveFlag, reference.receiveFlag) << file.name;
    EXPECT_EQ(loaded.noteRect, reference.noteRect) << file.name;
    EXPECT_EQ(loaded.controllerRect, reference.controllerRect) << file.name;
  }
  clearControlMap();
}

TEST_F(ProfileDifferential, LargeSectionIsReadWhole) {
  const std::string path = folder_ + "full_map.ini";
  const std::string text = readProfileSection(path.c_str(), "notes");
  EXPECT_GT(text.size(), 32767u);
  const IniSection section = parseIniSection(text);
  EXPECT_EQ(section.values.size(), static_cast<size_t>(kControlCount));
  EXPECT_EQ(sectionValue(section, "127:16", kValueCapacity),
            perKeyValue(path, "notes", "127:16", kValueCapacity));
}

}  // namespace
