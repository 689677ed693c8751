// Page keys and the text pane. Parts: the settings file (its [text] keys name the pages),
// two page files a.txt and b.txt, and control bytes (step, page, pair, tempo, loopback,
// showmidichannels, a small capacity). The composed text is always terminated within its
// buffer: a page's bytes up to its first zero (at most 1024) followed by the status lines
// the step shows, and a smaller buffer holds the same text cut short. The channel filter
// and the title follow the page prefixes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/sequence.h"
#include "base/platform_hooks.h"
#include "base/steps.h"
#include "config/device_select.h"
#include "config/page_keys.h"
#include "config/settings.h"
#include "fuzz_support.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"
#include "tests/fakes/platform_fake.h"
#include "ui/text_pane.h"

namespace {

uint8_t byteAt(const std::string& bytes, size_t at) {
  return at < bytes.size() ? static_cast<uint8_t>(bytes[at]) : 0;
}

// What a page file shows: its bytes up to the first zero, at most a text buffer's worth.
std::string shownPart(const std::string& bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), kPageTextCapacity));
}

std::string statusLines(int step, int32_t tempo, int32_t loopback) {
  std::string lines;
  if (step == kStepMidiLink && tempo != 0) {
    lines += "\r\n\r\nMidi Clock Detected at " + std::to_string(tempo) + " BPM";
  }
  if (step >= kStepMidiLink && step <= kStepAudioOut && loopback != 0) {
    lines += "\r\n\r\nMidi Loopback Detected";
  }
  return lines;
}

std::string expectedTitle() {
  std::string title = "Velk Analyser - ";
  for (const auto& flag : channelFilter.channelEnabled) {
    title += std::to_string(flag.get());
  }
  return title;
}

std::string composed(size_t capacity) {
  GuardedBuffer out(capacity, 'c');
  composePaneText(out.data(), capacity);
  FUZZ_CHECK(out.guardIntact());
  if (capacity == 0) {
    return "";
  }
  FUZZ_CHECK(out.terminated());
  return out.text();
}

void checkPaneText(const std::vector<std::string>& pages, bool pagesComparable, size_t small) {
  const int step = currentStep.get();
  const std::string status = statusLines(step, tempoBpm.get(), loopbackDetected.get());
  const std::string text = composed(kPaneTextCapacity);
  FUZZ_CHECK(text.size() >= status.size() &&
             text.compare(text.size() - status.size(), status.size(), status) == 0);
  const std::string page = text.substr(0, text.size() - status.size());
  FUZZ_CHECK(page.size() <= kPageTextCapacity);
  if (pagesComparable && !page.empty()) {
    bool known = false;
    for (const std::string& bytes : pages) {
      known = known || page == shownPart(bytes);
    }
    FUZZ_CHECK(known);
  }
  // A smaller buffer: the same page and status lines, cut to fit.
  FUZZ_CHECK(composed(small) == (page.substr(0, small - 1) + status).substr(0, small - 1));
  FUZZ_CHECK(composed(0).empty());
}

void checkChannelFilter(bool usePages) {
  const int step = currentStep.get();
  setChannelFilter(usePages);
  const int selected = channelFilter.selectedChannel.get();
  FUZZ_CHECK(selected >= -1 && selected < kChannelCount);
  int enabled = 0;
  for (const auto& flag : channelFilter.channelEnabled) {
    FUZZ_CHECK(flag.get() <= 1);
    enabled += flag.get();
  }
  const bool pageStep =
      step == kStepNoteTest || step == kStepControllerTest || step == kStepNoteRxTest;
  if (!usePages || !pageStep) {
    FUZZ_CHECK(selected == -1 && enabled == kChannelCount);
  } else if (selected >= 0) {
    FUZZ_CHECK(enabled == 1 && channelFilter.channelEnabled[selected].get() == 1);
    FUZZ_CHECK(channelPrefix(currentPage.get()) == selected);
  } else {
    FUZZ_CHECK(channelPrefix(currentPage.get()) == -1);
  }
}

void checkTitle(size_t capacity) {
  GuardedBuffer title(capacity, 't');
  composeWindowTitle(title.data(), capacity);
  FUZZ_CHECK(title.guardIntact());
  if (capacity > 0) {
    FUZZ_CHECK(title.terminated() && title.text() == expectedTitle().substr(0, capacity - 1));
  }
}

void checkRefresh() {
  const int step = currentStep.get();
  resetPlatformFake();
  refreshTextPane();
  const auto& texts = platformFake.paneTexts;
  const auto& titles = platformFake.titles;
  if (step >= kFinishedStep) {
    FUZZ_CHECK(texts.empty() && titles.empty());
    return;
  }
  FUZZ_CHECK(texts.size() == 1 && texts.back() == composed(kPaneTextCapacity));
  FUZZ_CHECK(titles.size() == (settings.showmidichannels != 0 ? 1u : 0u));
  if (titles.size() == 1) {
    FUZZ_CHECK(titles.back() == expectedTitle());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 4);
  const std::string settingsFile = writeScratchFile("settings.ini", parts[0]);
  writeScratchFile("a.txt", parts[1]);
  writeScratchFile("b.txt", parts[2]);
  std::snprintf(settingsPath, sizeof settingsPath, "%s", settingsFile.c_str());
  std::snprintf(exeFolder, sizeof exeFolder, "%s", scratchFolder().c_str());

  const std::string& control = parts[3];
  currentStep.set(byteAt(control, 0) % (kFinishedStep + 2));  // also one past the run's end
  currentPage.set(byteAt(control, 1) % 18 - 1);
  currentPair.set(byteAt(control, 2) % 20);
  int32_t tempo = 0;
  std::memcpy(&tempo, control.data() + (control.size() >= 7 ? 3 : 0), control.size() >= 7 ? 4 : 0);
  tempoBpm.set(tempo);
  loopbackDetected.set(byteAt(control, 7) & 1);
  settings.showmidichannels = byteAt(control, 8) & 1;
  const size_t small = 1 + byteAt(control, 9) % 64;

  // Only the files written here are page files; a value that climbs out of the folder
  // could name any file on the machine.
  const bool pagesComparable = parts[0].find("..") == std::string::npos;
  const std::vector<std::string> pages = {parts[0], parts[1], parts[2]};

  const int pageTotal = pageCount();
  FUZZ_CHECK(pageTotal >= 0 && pageTotal <= kMaxPages);
  for (int page = -1; page < kMaxPages; ++page) {
    const int channel = channelPrefix(page);
    FUZZ_CHECK(channel >= -1 && channel < kChannelCount);
  }
  checkChannelFilter(false);
  checkChannelFilter(true);
  checkPaneText(pages, pagesComparable, small);
  checkTitle(kTitleCapacity);
  checkTitle(small % 24);
  checkRefresh();
  return 0;
}
