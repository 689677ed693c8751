// A fresh temporary folder for each test, removed with everything in it when the test ends.
// The one fixture for tests that write files: configuration files, the program's folder
// with its settings and pages, reports, loop samples.
#ifndef TESTS_UNIT_TEMP_FOLDER_H
#define TESTS_UNIT_TEMP_FOLDER_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velk-test-XXXXXX";
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
