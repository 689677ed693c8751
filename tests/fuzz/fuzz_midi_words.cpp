// MIDI words against a loaded map. Parts: the settings file (its [notes] and [controllers]
// make the map, its [text] the pages), then binary: step, page, receive index and filter
// choice in the first 8 bytes, then (word, timestamp) pairs, 4 bytes each, little-endian.
// The loaded map's definitions are flags and every lookup stays inside it; after every word
// the clock tempo, loopback flag, tested flags, controller ranges and the last any-channel
// channel are what the message rules give, computed here from scratch; every control drawn
// has just passed, and the pane is refreshed exactly when the tempo or loopback changed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/reset_station.h"
#include "app/sequence.h"
#include "base/steps.h"
#include "config/device_select.h"
#include "config/settings.h"
#include "fuzz_support.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "midi/note_receive.h"
#include "tests/fakes/platform_fake.h"

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  }
  return value;
}

uint8_t byteAt(const std::string& bytes, size_t at) {
  return at < bytes.size() ? static_cast<uint8_t>(bytes[at]) : 0;
}

// The analysis of the received messages, as the message rules state it.
struct Model {
  uint32_t windowStart = 0;
  uint32_t clockCount = 0;
  int32_t tempo = 0;
  uint32_t lastNote = 0;
  int32_t loopback = 0;
  int16_t lastAnyChannel = 15;
  std::vector<int16_t> noteTested = std::vector<int16_t>(kControlCount, 0);
  std::vector<int16_t> controllerTested = std::vector<int16_t>(kControlCount, 0);
  std::vector<int16_t> controllerMin = std::vector<int16_t>(kControlCount, 64);
  std::vector<int16_t> controllerMax = std::vector<int16_t>(kControlCount, 64);
  int passes = 0;
  int refreshes = 0;
};

bool enabled(int index) {
  if (index < 128) {
    return channelFilter.selectedChannel.get() < 0;
  }
  return channelFilter.channelEnabled[index / 128 - 1].get() != 0;
}

void clock(Model& m, uint32_t timestamp) {
  if (m.windowStart == 0) {
    m.windowStart = timestamp;
    m.clockCount = 0;
  } else if (m.clockCount < 95) {
    ++m.clockCount;
  } else {
    const uint32_t elapsed = timestamp - m.windowStart;
    const int32_t tempo = elapsed == 0 ? 0 : static_cast<int32_t>(240000.0 / elapsed + 0.5);
    if (tempo != m.tempo) {
      m.tempo = tempo;
      ++m.refreshes;
    }
    m.windowStart = timestamp;
    m.clockCount = 0;
  }
}

void note(Model& m, uint32_t word, int channel, int number, int velocity) {
  const int channelEntry = (channel + 1) * 128 + number;
  const int index = controlMap.noteDefined[channelEntry] != 0 ? channelEntry : number;
  const int32_t detected = word == m.lastNote ? 1 : 0;
  m.lastNote = word;
  if (detected != m.loopback) {
    m.loopback = detected;
    ++m.refreshes;
  }
  if (currentStep.get() == kStepNoteRxTest && index != currentRxIndex.get()) {
    return;
  }
  const bool pressed = velocity != 0 && (word & 0xF0) == 0x90;
  if (!enabled(index) || !pressed || m.noteTested[index] != 0) {
    return;
  }
  m.noteTested[index] = 1;
  ++m.passes;
  if (index < 128) {
    m.lastAnyChannel = static_cast<int16_t>(channel);
  }
}

void controller(Model& m, int channel, int number, int value) {
  const int channelEntry = (channel + 1) * 128 + number;
  const int index = controlMap.controllerDefined[channelEntry] != 0 ? channelEntry : number;
  if (!enabled(channelEntry)) {
    return;
  }
  m.controllerMin[index] = std::min<int16_t>(m.controllerMin[index], value);
  m.controllerMax[index] = std::max<int16_t>(m.controllerMax[index], value);
  if (m.controllerTested[index] == 0 && m.controllerMin[index] <= 3 &&
      m.controllerMax[index] >= 125) {
    m.controllerTested[index] = 1;
    ++m.passes;
    if (index < 128) {
      m.lastAnyChannel = static_cast<int16_t>(channel);
    }
  }
}

void modelMessage(Model& m, uint32_t word, uint32_t timestamp) {
  const uint32_t status = word & 0xFF;
  const int channel = status & 0x0F;
  const int d1 = (word >> 8) & 0xFF;
  const int d2 = (word >> 16) & 0xFF;
  const uint32_t kind = status & 0xF0;
  if (status == 0xF8) {
    clock(m, timestamp);
  } else if (status == 0xFA || status == 0xFC) {
    m.windowStart = 0;
    m.clockCount = 0;
  } else if (d1 > 127 || d2 > 127) {
    // A data byte no port sends: the message would index outside the map, so it is dropped.
  } else if (kind == 0x80 || kind == 0x90) {
    note(m, word, channel, d1, d2);
  } else if (kind == 0xB0 || kind == 0xE0) {
    controller(m, channel, d1, d2);
  }
}

void checkAgainst(const Model& m) {
  FUZZ_CHECK(tempoBpm.get() == m.tempo);
  FUZZ_CHECK(loopbackDetected.get() == m.loopback);
  FUZZ_CHECK(controlMap.lastAnyChannel.get() == m.lastAnyChannel);
  FUZZ_CHECK(platformFake.drawCount == m.passes);
  FUZZ_CHECK(platformFake.paneTextCount == (currentStep.get() < kFinishedStep ? m.refreshes : 0));
}

void checkTables(const Model& m) {
  for (int i = 0; i < kControlCount; ++i) {
    FUZZ_CHECK(controlMap.noteDefined[i] == 0 || controlMap.noteDefined[i] == 1);
    FUZZ_CHECK(controlMap.controllerDefined[i] == 0 || controlMap.controllerDefined[i] == 1);
    FUZZ_CHECK(controlMap.noteTested[i].get() == m.noteTested[i]);
    FUZZ_CHECK(controlMap.controllerTested[i].get() == m.controllerTested[i]);
    FUZZ_CHECK(controlMap.controllerMin[i].get() == m.controllerMin[i]);
    FUZZ_CHECK(controlMap.controllerMax[i].get() == m.controllerMax[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 2);
  resetStation();
  const std::string settingsFile = writeScratchFile("settings.ini", parts[0]);
  std::snprintf(settingsPath, sizeof settingsPath, "%s", settingsFile.c_str());
  std::snprintf(exeFolder, sizeof exeFolder, "%s", scratchFolder().c_str());
  std::snprintf(asioDriverName, sizeof asioDriverName, "Velk ASIO");
  loadSettings();

  const std::string& words = parts[1];
  currentStep.set(byteAt(words, 0) % (kFinishedStep + 1));  // every step, and the run over
  currentPage.set(byteAt(words, 1) % 18 - 1);
  currentRxIndex.set(static_cast<int16_t>((byteAt(words, 2) | byteAt(words, 3) << 8) % 2177 - 1));
  setChannelFilter((byteAt(words, 4) & 1) != 0);
  resetPageTables();
  resetPlatformFake();
  platformFake.recordDetails = false;  // counts only: a long input refreshes the pane often

  Model model;
  for (size_t at = 8; at + 8 <= words.size(); at += 8) {
    const uint32_t word = le32(words, at);
    const uint32_t timestamp = le32(words, at + 4);
    analyseShortMessage(word, timestamp);
    modelMessage(model, word, timestamp);
    checkAgainst(model);
  }
  checkTables(model);
  return 0;
}
