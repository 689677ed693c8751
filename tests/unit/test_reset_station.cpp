// resetStation() against every process-wide record the product's headers declare.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/reset_station.h"
#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "audio/stream.h"
#include "base/run_position.h"
#include "config/device_select.h"
#include "config/path_rule.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "midi/note_receive.h"
#include "report/results.h"

#include <gtest/gtest.h>

namespace {

// Every record the test below dirties and checks. A record declared in a product header and
// missing here fails EveryRecordOfTheHeadersIsChecked: give it a reset in its owner, call
// that from resetStation() and add the record to both tests.
const std::set<std::string> kCheckedRecords = {
    "currentStep",  "currentPage",      "currentPair",    "exeFolder",         "selectedPortName",
    "settingsPath", "asioDriverName",   "settings",       "controlMap",        "channelFilter",
    "tempoBpm",     "loopbackDetected", "currentRxIndex", "asioFacts",         "asioHost",
    "loopSample",   "loopPosition",     "noteResults",    "controllerResults", "receiveResults",
};

void dirtyEveryRecord() {
  currentStep.set(kStepAudioIn);
  currentPage.set(5);
  currentPair.set(3);
  setExeFolder("C:\\Station\\");
  snprintf(selectedPortName, sizeof selectedPortName, "Velk DJ2");
  snprintf(settingsPath, sizeof settingsPath, "C:\\Station\\dj2.ini");
  snprintf(asioDriverName, sizeof asioDriverName, "Velk ASIO");
  settings.sequenceFlags[kStepNoteTest] = 1;
  settings.width = 800;
  settings.loopPath[0] = 'x';
  settings.textWindow.height = 40;
  const int last = kControlCount - 1;
  controlMap.noteDefined[last] = 1;
  controlMap.controllerDefined[0] = 1;
  controlMap.noteRect[last].x = 7;
  controlMap.controllerRect[0].height = 9;
  controlMap.receiveFlag[last] = 1;
  controlMap.noteTested[last].set(1);
  controlMap.controllerTested[0].set(1);
  controlMap.controllerMin[0].set(2);
  controlMap.controllerMax[last].set(126);
  controlMap.lastAnyChannel.set(3);
  channelFilter.channelEnabled[kChannelCount - 1].set(1);
  channelFilter.selectedChannel.set(4);
  tempoBpm.set(120);
  loopbackDetected.set(1);
  currentRxIndex.set(12);
  asioFacts.inputCount.set(4);
  asioFacts.outputCount.set(6);
  asioFacts.inputLevels[kMaxAsioChannels - 1].set(1000);
  static int fakeDriver;
  asioHost.driver.set(reinterpret_cast<IASIO*>(&fakeDriver));
  asioHost.preferredBufferSize = 256;
  asioHost.inputLatency = asioHost.outputLatency = 512;
  asioHost.sampleRate = 44100;
  asioHost.bufferInfos[kMaxAsioEntries - 1].channelNum = 3;
  asioHost.channelInfos[0].isActive = 1;
  asioHost.hostCallbacks.bufferSwitch = [](int32_t, ASIOBool) {};
  asioHost.audioRunning = asioHost.driverStarted = asioHost.abandonedRunning = true;
  loopSample.leftSamples = new int32_t[3]{1, 2, 3};
  loopSample.frameCount = 3;
  loopPosition = 2;
  noteResults.entry[last] = 1;
  controllerResults.entry[0] = -1;
  receiveResults.entry[last] = 1;
}

TEST(ResetStation, EveryRecordIsBackAtTheProgramStart) {
  dirtyEveryRecord();
  resetStation();

  EXPECT_EQ(currentStep.get(), kStepOpening);
  EXPECT_EQ(currentPage.get(), 0);
  EXPECT_EQ(currentPair.get(), 0);
  EXPECT_STREQ(exeFolder, "");
  EXPECT_STREQ(selectedPortName, "");
  EXPECT_STREQ(settingsPath, "");
  EXPECT_STREQ(asioDriverName, "");
  const Settings start{};
  EXPECT_EQ(std::memcmp(&settings, &start, sizeof settings), 0);
  for (int i = 0; i < kControlCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(controlMap.noteDefined[i], 0);
    EXPECT_EQ(controlMap.controllerDefined[i], 0);
    EXPECT_EQ(controlMap.noteRect[i].x, 0);
    EXPECT_EQ(controlMap.controllerRect[i].height, 0);
    EXPECT_EQ(controlMap.receiveFlag[i], 0);
    EXPECT_EQ(controlMap.noteTested[i].get(), 0);
    EXPECT_EQ(controlMap.controllerTested[i].get(), 0);
    EXPECT_EQ(controlMap.controllerMin[i].get(), 0);
    EXPECT_EQ(controlMap.controllerMax[i].get(), 0);
    EXPECT_EQ(noteResults.entry[i], 0);
    EXPECT_EQ(controllerResults.entry[i], 0);
    EXPECT_EQ(receiveResults.entry[i], 0);
  }
  EXPECT_EQ(controlMap.lastAnyChannel.get(), kInitialAnyChannel);
  for (const auto& flag : channelFilter.channelEnabled) {
    EXPECT_EQ(flag.get(), 0);
  }
  EXPECT_EQ(channelFilter.selectedChannel.get(), -1);
  EXPECT_EQ(tempoBpm.get(), 0);
  EXPECT_EQ(loopbackDetected.get(), 0);
  EXPECT_EQ(currentRxIndex.get(), 0);
  EXPECT_EQ(asioFacts.inputCount.get(), 0);
  EXPECT_EQ(asioFacts.outputCount.get(), 0);
  for (const auto& level : asioFacts.inputLevels) {
    EXPECT_EQ(level.get(), 0);
  }
  EXPECT_EQ(asioHost.driver.get(), nullptr);
  EXPECT_EQ(asioHost.preferredBufferSize, 0);
  EXPECT_EQ(asioHost.inputLatency, 0);
  EXPECT_EQ(asioHost.outputLatency, 0);
  EXPECT_EQ(asioHost.sampleRate, 0);
  EXPECT_EQ(asioHost.bufferInfos[kMaxAsioEntries - 1].channelNum, 0);
  EXPECT_EQ(asioHost.channelInfos[0].isActive, 0);
  EXPECT_EQ(asioHost.hostCallbacks.bufferSwitch, nullptr);
  EXPECT_FALSE(asioHost.audioRunning);
  EXPECT_FALSE(asioHost.driverStarted);
  EXPECT_FALSE(asioHost.abandonedRunning);
  EXPECT_EQ(loopSample.frameCount, 0);
  EXPECT_EQ(loopSample.leftSamples, nullptr);
  EXPECT_EQ(loopPosition, 0);
}

// The name a line "extern Type name;" or "extern Type name[n];  // ..." declares, or "" for
// any other line; constants need no reset and are left out.
std::string externRecordOf(const std::string& line) {
  const size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos || line.compare(start, 7, "extern ") != 0 ||
      line.compare(start, 13, "extern const ") == 0 ||
      line.compare(start, 10, "extern \"C\"") == 0) {
    return "";
  }
  std::string declaration = line.substr(start, line.find(';') - start);
  declaration = declaration.substr(0, declaration.find('['));
  const size_t end = declaration.find_last_not_of(' ') + 1;
  const size_t begin = declaration.find_last_of(" *&", end - 1) + 1;
  return declaration.substr(begin, end - begin);
}

// The records the portable headers declare; the Windows-only headers' are set at start-up.
std::set<std::string> recordsOfTheHeaders() {
  static const char* kFloors[] = {"base", "config", "midi", "audio", "report", "ui", "app"};
  std::set<std::string> records;
  for (const char* floor : kFloors) {
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VELK_SOURCE_DIR) + "/" + floor)) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() != ".h" || name.ends_with("_win32.h")) {
        continue;
      }
      std::ifstream file(entry.path());
      std::string line;
      while (std::getline(file, line)) {
        const std::string record = externRecordOf(line);
        if (!record.empty()) {
          records.insert(record);
        }
      }
    }
  }
  return records;
}

TEST(ResetStation, EveryRecordOfTheHeadersIsChecked) {
  const std::set<std::string> declared = recordsOfTheHeaders();
  EXPECT_FALSE(declared.empty());
  for (const auto& record : declared) {
    EXPECT_TRUE(kCheckedRecords.count(record) == 1)
        << record << " is declared in a product header but neither reset nor checked here";
  }
  for (const auto& record : kCheckedRecords) {
    EXPECT_TRUE(declared.count(record) == 1) << record << " is no longer declared";
  }
}

}  // namespace
