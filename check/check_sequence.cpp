// The run as the sequence would make it: what each page of the MIDI steps puts under test,
// pages that pass at once or can never finish, controls no page tests, pages never shown,
// channel prefixes, the LED step and the audio steps.
#include "check/check_sequence.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/steps.h"
#include "check/model_check.h"
#include "config/device_select.h"
#include "config/page_keys.h"
#include "config/profile.h"
#include "midi/control_map.h"

namespace {

std::string pageName(const PageView& page) {
  std::string name = page.key;
  if (page.prefix > 0) {
    return name + " (channel " + std::to_string(page.prefix) + ")";
  }
  return name;
}

std::string keyList(const std::vector<int>& indices, size_t limit = 8) {
  std::string text;
  for (size_t i = 0; i < indices.size() && i < limit; ++i) {
    text += (i == 0 ? "" : " ") + controlKey(indices[i]);
  }
  if (indices.size() > limit) {
    text += " and " + std::to_string(indices.size() - limit) + " more";
  }
  return text;
}

// The [sequence] key that enables a step: "test3".
std::string testKey(int step) {
  return numberedKeyText(kSequenceStem, step, -1);
}

int stepLine(const ModelCheck& model, int step) {
  return lineOf(model.ini, kSequenceSection, testKey(step));
}

int pageLine(const ModelCheck& model, const PageView& page) {
  return page.line > 0 ? page.line : stepLine(model, page.step);
}

const char* kindWord(int step, bool plural) {
  if (step == kStepControllerTest) {
    return plural ? "controllers" : "controller";  // not a settings key
  }
  return plural ? "notes" : "note";  // not a settings key
}

// Why a page leaves some of its controls no way to pass.
std::string stuckReason(const StepView& step, const PageView& page) {
  // Step 5 waits for each flashed note in turn: the first that cannot pass holds the rest.
  if (step.step == kStepNoteRxTest && page.cannotPass.size() > 1) {
    const int blocker = page.cannotPass.front();
    return "the station flashes " + controlAddress(true, blocker) + " (" + controlKey(blocker) +
           ") first and waits for it, but every channel it could arrive on has an entry of its "
           "own for it";
  }
  return "every channel they could arrive on either has an entry of its own for them or is "
         "not tested on this page";
}

std::string neverReason(const StepView& step, int index) {
  if (index < kAnyChannelCount) {
    return "every page of step " + std::to_string(stepNumber(step.step)) +
           " names a channel, so none tests the any-channel entries";
  }
  return "no page of step " + std::to_string(stepNumber(step.step)) + " tests channel " +
         std::to_string(channelOfIndex(index));
}

void checkStepPages(ModelCheck& model, const StepView& step, bool noReceiveNotes) {
  for (const PageView& page : step.pages) {
    if (page.underTest.empty()) {
      if (!(step.step == kStepNoteRxTest && noReceiveNotes)) {
        addFinding(model, Severity::Warning, "page-empty", kTextSection, page.key,
                   "page " + pageName(page) + " of step " + std::to_string(stepNumber(step.step)) +
                       " puts no " + kindWord(step.step, false) + " under test: it passes at once",
                   pageLine(model, page));
      }
      continue;
    }
    if (!page.cannotPass.empty()) {
      addFinding(model, Severity::Error, "page-stuck", kTextSection, page.key,
                 "page " + pageName(page) +
                     " can never finish by itself: " + std::to_string(page.cannotPass.size()) +
                     " " + kindWord(step.step, true) + " under test (" + keyList(page.cannotPass) +
                     ") can never pass, since " + stuckReason(step, page),
                 pageLine(model, page));
    }
  }
  for (int index : step.neverUnderTest) {
    const bool note = step.step != kStepControllerTest;
    addControlFinding(model, Severity::Error, "never-tested", note, index,
                      controlAddress(note, index) + " is never under test in step " +
                          std::to_string(stepNumber(step.step)) + ": " + neverReason(step, index) +
                          "; it can never pass");
  }
}

std::string pageValue(int step, int page) {
  char value[kValueCapacity];
  readPageValue(step, page, value, sizeof value);
  return value;
}

std::string pageKey(int step, int page) {
  return numberedKeyText(kPageStem, step, page);
}

void checkPagesShown(ModelCheck& model) {
  for (int step = kStepOpening; step < kStepCount; ++step) {
    int firstGap = -1;
    for (int page = 0; page < kMaxPages; ++page) {
      const bool set = !pageValue(step, page).empty();
      if (!set) {
        if (firstGap < 0) {
          firstGap = page;
        }
        continue;
      }
      const std::string key = pageKey(step, page);
      if (isMidiTestStep(step) && firstGap >= 0) {
        addFinding(model, Severity::Warning, "page-gap", kTextSection, key,
                   "never shown: " + pageKey(step, firstGap) +
                       " is missing, and a step's pages end at the first missing one");
      } else if ((step == kStepOpening && page > 0) || step == kStepMidiLink ||
                 step == kStepClosing) {
        addFinding(model, Severity::Warning, "page-unused", kTextSection, key,
                   "never shown: step " + std::to_string(stepNumber(step)) +
                       (step == kStepOpening ? " shows only " + pageKey(kStepOpening, 0)
                                             : std::string(" has no pages")) +
                       ", and its button ends the step");
      }
    }
  }
  if (!pageValue(kStepOpening, -1).empty() && !pageValue(kStepOpening, 0).empty()) {
    addFinding(model, Severity::Warning, "page-unused", kTextSection, pageKey(kStepOpening, -1),
               "never shown: at start the station shows " + pageKey(kStepOpening, 0) + " instead");
  }
}

// The channel prefix of a page value: the number before its first comma, when the value
// starts with one. False when the value has none.
bool leadingPrefix(const std::string& value, int& number) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) {
    ++i;
  }
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    ++i;
  }
  if (i >= value.size() || !std::isdigit(static_cast<unsigned char>(value[i])) ||
      value.find(',') == std::string::npos) {
    return false;
  }
  number = pagePrefixNumber(value.c_str());
  return true;
}

void checkPrefixes(ModelCheck& model) {
  for (int step = kStepOpening; step < kStepCount; ++step) {
    for (int page = -1; page < kMaxPages; ++page) {
      const std::string value = pageValue(step, page);
      int number = 0;
      if (value.empty() || !leadingPrefix(value, number)) {
        continue;
      }
      const std::string key = pageKey(step, page);
      const bool filtered = isMidiTestStep(step);
      if (number < 1 || number > 16) {
        if (filtered) {
          addFinding(model, Severity::Warning, "channel-prefix", kTextSection, key,
                     "channel prefix " + std::to_string(number) +
                         " is outside 1..16: the page claims no channel and tests every channel "
                         "no other page claims" +
                         (number == 0 ? "; the file name keeps the '0,'" : ""));
        }
      } else if (!filtered) {
        addFinding(model, Severity::Note, "prefix-ignored", kTextSection, key,
                   "the channel prefix has no effect in step " + std::to_string(stepNumber(step)) +
                       ": only steps 3 to 5 test by channel");
      }
    }
  }
}

bool underTestOnSomePage(const StepView& step, int index, bool mustPass) {
  for (const PageView& page : step.pages) {
    const auto& list = page.underTest;
    const bool blocked =
        std::find(page.cannotPass.begin(), page.cannotPass.end(), index) != page.cannotPass.end();
    if (std::find(list.begin(), list.end(), index) != list.end() && !(mustPass && blocked)) {
      return true;
    }
  }
  return false;
}

// Step 5 flashes an any-channel LED on the channel of the last any-channel control that
// passed, and on channel 16 until one has: when steps 3 and 4 pass none, the first such LED
// goes out on channel 16, where the unit may not listen.
void checkAnyChannelLed(ModelCheck& model) {
  int firstLed = -1;
  bool channelLearnt = false;
  for (const StepView& step : model.steps) {
    for (int i = 0; i < kAnyChannelCount && step.enabled; ++i) {
      if (step.step != kStepNoteRxTest && underTestOnSomePage(step, i, true)) {
        channelLearnt = true;
      }
      if (step.step == kStepNoteRxTest && firstLed < 0 && underTestOnSomePage(step, i, false)) {
        firstLed = i;
      }
    }
  }
  if (firstLed >= 0 && !channelLearnt) {
    addControlFinding(model, Severity::Note, "led-channel-16", true, firstLed,
                      "the station flashes this LED on channel 16: no step before step 5 passes an "
                      "any-channel control, which is how it learns the unit's channel, so the unit "
                      "may not see it");
  }
}

void checkAudioSteps(ModelCheck& model) {
  if (!model.audioWarning) {
    return;
  }
  // The warning points at the first audio step the settings file enables.
  const bool outEnabled =
      readProfileInt(settingsPath, kSequenceSection, testKey(kStepAudioOut).c_str(), 1) != 0;
  const int step = outEnabled ? kStepAudioOut : kStepAudioIn;
  addFinding(model, Severity::Warning, "audio-no-driver", kSequenceSection, testKey(step),
             "the audio steps are enabled but profile " + model.profile +
                 " names no audio driver: the station warns \"There was an error initialising the "
                 "ASIO driver\" at every start and skips steps 6 and 7",
             stepLine(model, step));
}

}  // namespace

void checkSequence(ModelCheck& model) {
  int receiveNotes = 0;
  for (int i = 0; i < kControlCount; ++i) {
    receiveNotes += isDefined(true, i) && controlMap.receiveFlag[i] != 0 ? 1 : 0;
  }
  if (!stepEnabled(model, kStepNoteRxTest) && receiveNotes > 0) {
    addFinding(
        model, Severity::Warning, "rx-without-step5", kSequenceSection, testKey(kStepNoteRxTest),
        std::to_string(receiveNotes) +
            " notes have a receive flag, but step 5 is disabled: their LEDs are never tested");
  }
  if (stepEnabled(model, kStepNoteRxTest) && receiveNotes == 0) {
    addFinding(model, Severity::Warning, "rx-none", kSequenceSection, testKey(kStepNoteRxTest),
               "step 5 runs, but no note has a receive flag: it passes at once");
  }
  for (const StepView& step : model.steps) {
    if (step.enabled) {
      checkStepPages(model, step, receiveNotes == 0);
    }
  }
  checkPagesShown(model);
  checkPrefixes(model);
  checkAnyChannelLed(model);
  checkAudioSteps(model);
}
