// A clean program-start state for the tests of the MIDI tests, the sequence, the text pane
// and the results: every process-wide table cleared, the platform fakes emptied, and a
// temporary executable folder holding the settings file and the text pages.
#ifndef TESTS_UNIT_RUN_STATE_FIXTURE_H
#define TESTS_UNIT_RUN_STATE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/sequence.h"
#include "audio/asio_host.h"
#include "config/device_select.h"
#include "config/settings.h"
#include "fakes/platform_fakes.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "midi/note_receive.h"
#include "report/report.h"
#include "report/results.h"

class RunStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velk-run-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    std::snprintf(exeFolder, sizeof exeFolder, "%s/", folder.c_str());
    std::snprintf(settingsPath, sizeof settingsPath, "%s/settings.ini", folder.c_str());
    settings = Settings{};
    for (auto& flag : settings.sequenceFlags) {
      flag = 1;
    }
    asioFacts.outputCount.set(0);
    asioFacts.inputCount.set(0);
    clearControlMap();
    clearMidiAnalysis();
    clearNoteReceive();
    clearResults();
    resetSequence();
    resetPlatformFakes();
  }

  void TearDown() override { std::filesystem::remove_all(folder); }

  // Writes a file into the executable folder, bytes as given (CR LF where the test says).
  void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << bytes;
  }

  // The settings file's [text] section, one "key=value" per element.
  void writeTextKeys(std::initializer_list<std::string> lines) {
    std::string ini = "[text]\r\n";
    for (const auto& line : lines) {
      ini += line + "\r\n";
    }
    writeFile("settings.ini", ini);
  }

  std::string folder;
};

#endif
