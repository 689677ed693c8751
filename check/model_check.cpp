#include "check/model_check.h"

#include <cstdio>
#include <cstring>

#include "app/sequence.h"
#include "base/steps.h"
#include "check/check_controls.h"
#include "check/check_files.h"
#include "check/check_layout.h"
#include "check/check_pictures.h"
#include "check/check_sequence.h"
#include "check/check_settings_text.h"
#include "config/device_select.h"
#include "config/settings_schema.h"
#include "midi/control_map.h"
#include "midi/note_receive.h"
#include "tests/fakes/platform_fake.h"

std::string controlKey(int index) {
  char key[16];
  controlEntryKey(index, key, sizeof key);
  return key;
}

std::string numberedKeyText(const char* stem, int step, int second) {
  char key[32];
  numberedKey(stem, step, second, key, sizeof key);
  return key;
}

std::string controlAddress(bool note, int index) {
  const int number = index < kAnyChannelCount ? index : numberOfIndex(index);
  std::string text = note ? "Note " : (number == 0 ? "Bend/CC " : "CC ");
  text += std::to_string(number);
  if (index < kAnyChannelCount) {
    return text + " any channel";
  }
  return text + " ch " + std::to_string(channelOfIndex(index));
}

std::string pageChannelsText(const PageView& page) {
  std::string text = page.anyChannel ? "any channel" : "";
  int c = 0;
  std::string ranges;
  while (c < kChannelCount) {
    if (!page.channels[c]) {
      ++c;
      continue;
    }
    int end = c;
    while (end + 1 < kChannelCount && page.channels[end + 1]) {
      ++end;
    }
    ranges += (ranges.empty() ? "" : ", ") + std::to_string(c + 1) +
              (end > c ? "-" + std::to_string(end + 1) : "");
    c = end + 1;
  }
  if (!ranges.empty()) {
    text +=
        (text.empty() ? "" : ", ") +
        std::string(ranges.find_first_of(",-") == std::string::npos ? "channel " : "channels ") +
        ranges;
  }
  return text.empty() ? "no channel" : text;
}

std::string rectText(const ControlRect& rect) {
  return std::to_string(rect.x) + "," + std::to_string(rect.y) + "," + std::to_string(rect.width) +
         "," + std::to_string(rect.height);
}

bool isDefined(bool note, int index) {
  return (note ? controlMap.noteDefined[index] : controlMap.controllerDefined[index]) != 0;
}

const ControlRect& rectOf(bool note, int index) {
  return note ? controlMap.noteRect[index] : controlMap.controllerRect[index];
}

int64_t rightEdge(const ControlRect& rect) {
  return int64_t{rect.x} + rect.width;
}

int64_t bottomEdge(const ControlRect& rect) {
  return int64_t{rect.y} + rect.height;
}

bool overlaps(const ControlRect& a, const ControlRect& b) {
  return a.x < rightEdge(b) && b.x < rightEdge(a) && a.y < bottomEdge(b) && b.y < bottomEdge(a);
}

int controlLine(const ModelCheck& model, bool note, int index) {
  return lineOf(model.ini, controlSection(note), controlKey(index));
}

bool stepEnabled(const ModelCheck& model, int step) {
  return model.loaded.sequenceFlags[step] != 0;
}

void addFinding(ModelCheck& model, Severity severity, const char* check, const std::string& section,
                const std::string& key, const std::string& message, int line,
                const std::string& file) {
  addFinding(*model.findings, plainFinding(file.empty() ? model.settingsShown : file,
                                           line >= 0 ? line : lineOf(model.ini, section, key),
                                           severity, check, section, key, message));
}

void addControlFinding(ModelCheck& model, Severity severity, const char* check, bool note,
                       int index, const std::string& message) {
  const std::string section = controlSection(note);
  addFinding(model, severity, check, section, controlKey(index), message);
  model.findings->items.back().control = ControlRef{section, index};
}

// Whether a press of an any-channel note (or a sweep of an any-channel controller) can reach
// its entry: a message resolves to the channel's own entry when that is defined, and a
// controller must also arrive on a channel the page enables.
static bool anyChannelEntryReachable(bool note, int number) {
  for (int nibble = 0; nibble < kChannelCount; ++nibble) {
    const bool shadowed = isDefined(note, channelIndex(nibble + 1, number));
    const bool enabled = note || channelFilter.channelEnabled[nibble].get() != 0;
    if (!shadowed && enabled) {
      return true;
    }
  }
  return false;
}

// Step 5 as the station plays it: the lowest untested LED note the page tests is flashed and
// waited for until it passes, so a note that no press can reach holds up every note after it.
static void fillReceivePage(PageView& view) {
  resetPageTables();
  bool flashBlocked = false;
  for (int i = nextFlashedNote(); i >= 0; i = nextFlashedNote()) {
    view.underTest.push_back(i);
    flashBlocked = flashBlocked || (i < kAnyChannelCount && !anyChannelEntryReachable(true, i));
    if (flashBlocked) {
      view.cannotPass.push_back(i);
    }
    controlMap.noteTested[i].set(1);
  }
  resetPageTables();
}

static void fillPage(PageView& view) {
  view.anyChannel = channelFilter.selectedChannel.get() < 0;
  for (int c = 0; c < kChannelCount; ++c) {
    view.channels[c] = channelFilter.channelEnabled[c].get() != 0;
  }
  if (view.step == kStepNoteRxTest) {
    fillReceivePage(view);
    return;
  }
  const bool note = view.step != kStepControllerTest;
  for (int i = 0; i < kControlCount; ++i) {
    if (!isDefined(note, i) || !isControlEnabled(i)) {
      continue;
    }
    view.underTest.push_back(i);
    if (i < kAnyChannelCount && !anyChannelEntryReachable(note, i)) {
      view.cannotPass.push_back(i);
    }
  }
}

static void buildStepViews(ModelCheck& model) {
  model.steps.clear();
  for (int step = kStepNoteTest; step <= kStepNoteRxTest; ++step) {
    StepView view;
    view.step = step;
    view.enabled = stepEnabled(model, step);
    currentStep.set(step);
    const int pages = pageCount();
    std::vector<bool> tested(kControlCount, false);
    for (int page = -1; page < pages; ++page) {
      currentPage.set(page);
      setChannelFilter(true);
      PageView pageView;
      pageView.step = step;
      pageView.page = page;
      pageView.key = numberedKeyText(kPageStem, step, page);
      pageView.line = lineOf(model.ini, kTextSection, pageView.key);
      pageView.prefix = channelPrefix(page) + 1;
      fillPage(pageView);
      for (int i : pageView.underTest) {
        tested[i] = true;
      }
      view.pages.push_back(std::move(pageView));
    }
    const bool note = step != kStepControllerTest;
    for (int i = 0; i < kControlCount; ++i) {
      if (isDefined(note, i) && (step != kStepNoteRxTest || controlMap.receiveFlag[i] != 0) &&
          !tested[i]) {
        view.neverUnderTest.push_back(i);
      }
    }
    model.steps.push_back(std::move(view));
  }
  resetSequence();
}

void checkModel(ModelCheck& model) {
  useStationFolder(model.folder);
  std::snprintf(settingsPath, sizeof settingsPath, "%s", model.settingsOpen.c_str());
  model.ini = readIniDocument(model.settingsOpen);
  resetPlatformFake();
  loadSettings();
  model.loaded = settings;
  model.audioWarning = platformFake.audioWarningCount > 0;
  buildStepViews(model);

  checkSettingsText(model);
  checkFiles(model);
  checkLayout(model);
  checkControls(model);
  checkSequence(model);
  checkPictures(model);
}
