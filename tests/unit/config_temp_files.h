// Temporary INI files for the configuration tests, removed with the test.
#ifndef TESTS_UNIT_CONFIG_TEMP_FILES_H
#define TESTS_UNIT_CONFIG_TEMP_FILES_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velk-config-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes content byte for byte (line ends as given) and returns the file's path.
  std::string writeFile(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

#endif
