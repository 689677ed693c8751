#include "ui/text_pane.h"

#include <cstdio>
#include <cstring>

#include "base/platform_hooks.h"
#include "base/program_facts.h"
#include "base/run_position.h"
#include "base/steps.h"
#include "config/page_keys.h"
#include "config/path_rule.h"
#include "config/settings.h"
#include "midi/control_map.h"
#include "midi/midi_analysis.h"

// The page's file path (capacity kPathCapacity, room for exeFolder in front of a value),
// or false when the step has no text for the page.
static bool pageTextPath(int step, int page, char* path) {
  readPageValue(step, page, path, kValueCapacity);
  if (path[0] == '\0' && page >= 0) {
    readPageValue(step, -1, path, kValueCapacity);
  }
  if (path[0] == '\0') {
    return false;
  }
  // The channel prefix only picks the page's channel; the file name follows its comma.
  if (pagePrefixNumber(path) != 0) {
    const char* comma = std::strchr(path, ',');
    std::memmove(path, comma + 1, std::strlen(comma + 1) + 1);
  }
  // A path cut short to fit would name some other file.
  return makeAbsolutePath(path, kPathCapacity, PathForm::Extended);
}

void loadPageText(int step, char* buffer, size_t size, int page) {
  std::memset(buffer, 0, size);
  char path[kPathCapacity];
  if (!pageTextPath(step, page, path)) {
    return;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return;
  }
  std::fread(buffer, 1, size, file);  // a short or failed read leaves the rest zero
  std::fclose(file);
}

// The program name, " - " and the 16 channel flags.
void composeWindowTitle(char* out, size_t capacity) {
  if (capacity == 0) {
    return;
  }
  int used = std::snprintf(out, capacity, "%s - ", kProgramName);
  for (const auto& flag : channelFilter.channelEnabled) {
    if (used < 0 || static_cast<size_t>(used) >= capacity) {
      break;
    }
    used += std::snprintf(out + used, capacity - used, "%d", flag.get());
  }
}

static void composeText(int step, char* out, size_t capacity) {
  if (capacity == 0) {
    return;
  }
  // The file's bytes, always followed by a terminator even when the file fills them all.
  const size_t textBytes = kPageTextCapacity < capacity - 1 ? kPageTextCapacity : capacity - 1;
  const int page = isAudioStep(step) ? currentPair.get() : currentPage.get();
  loadPageText(step, out, textBytes, page);
  out[textBytes] = '\0';
  size_t used = std::strlen(out);
  const int32_t tempo = tempoBpm.get();
  if (step == kStepMidiLink && tempo != 0) {
    std::snprintf(out + used, capacity - used, "\r\n\r\nMidi Clock Detected at %d BPM", tempo);
    used = std::strlen(out);
  }
  if (step >= kStepMidiLink && step <= kStepAudioOut && loopbackDetected.get() != 0) {
    std::snprintf(out + used, capacity - used, "\r\n\r\nMidi Loopback Detected");
  }
}

void composePaneText(char* out, size_t capacity) {
  composeText(currentStep.get(), out, capacity);
}

void refreshTextPane() {
  const int step = currentStep.get();
  if (step >= kFinishedStep) {
    return;
  }
  // Own buffers on the stack: the window thread and the MIDI thread may refresh at once.
  if (settings.showmidichannels != 0) {
    char title[kTitleCapacity];
    composeWindowTitle(title, sizeof title);
    setMainWindowTitle(title);
  }
  char text[kPaneTextCapacity];
  composeText(step, text, sizeof text);
  setTextPaneText(text);
}
