// A clean program-start state for the tests of the MIDI tests, the sequence, the text pane
// and the results: every process-wide table cleared, the platform fake emptied, and a
// temporary executable folder holding the settings file and the text pages.
#ifndef TESTS_UNIT_RUN_STATE_FIXTURE_H
#define TESTS_UNIT_RUN_STATE_FIXTURE_H

#include <cstdio>
#include <cstring>
#include <string>

#include "app/reset_station.h"
#include "app/sequence.h"
#include "audio/asio_host.h"
#include "config/device_select.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "midi/note_receive.h"
#include "report/report.h"
#include "report/results.h"
#include "temp_folder.h"
#include "tests/fakes/platform_fake.h"

#include <gtest/gtest.h>

class RunStateTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    resetStation();
    resetPlatformFake();
    setExeFolder((folder() + "/").c_str());
    std::snprintf(settingsPath, sizeof settingsPath, "%s/settings.ini", folder().c_str());
    for (auto& flag : settings.sequenceFlags) {
      flag = 1;
    }
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
