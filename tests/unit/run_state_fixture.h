// A clean program-start state for the tests of the MIDI tests, the sequence, the text pane
// and the results: every process-wide table cleared, the platform fakes emptied, and a
// temporary executable folder holding the settings file and the text pages.
#ifndef TESTS_UNIT_RUN_STATE_FIXTURE_H
#define TESTS_UNIT_RUN_STATE_FIXTURE_H

#include <cstdio>
#include <cstring>
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
#include "temp_folder.h"

#include <gtest/gtest.h>

class RunStateTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    setExeFolder((folder() + "/").c_str());
    std::snprintf(settingsPath, sizeof settingsPath, "%s/settings.ini", folder().c_str());
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

  // The settings file's [text] section, one "key=value" per element.
  void writeTextKeys(std::initializer_list<std::string> lines) {
    std::string ini = "[text]\r\n";
    for (const auto& line : lines) {
      ini += line + "\r\n";
    }
    writeFile("settings.ini", ini);
  }
};

#endif
