// Checking one model: its settings file as the station loads it (the station's own loader
// fills the station's own records), the files it names, and what the run would make of it.
#ifndef CHECK_MODEL_CHECK_H
#define CHECK_MODEL_CHECK_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/steps.h"
#include "check/bmp_image.h"
#include "check/findings.h"
#include "check/ini_document.h"
#include "check/model_paths.h"
#include "config/settings.h"

// One page of a MIDI step and what its channel filter puts under test.
struct PageView {
  int step = kStepNoteTest;  // a MIDI test step's position (isMidiTestStep)
  int page = -1;             // -1: the step's own text; 0..15: text<s>_<page + 1>
  std::string key;
  int line = 0;
  int prefix = 0;           // channel 1..16 the page claims, 0 for none
  bool anyChannel = false;  // any-channel entries are under test
  bool channels[16] = {};
  std::vector<int> underTest;   // control indices of the step's kind
  std::vector<int> cannotPass;  // under test, but the page gives them no way to pass
};

struct StepView {
  int step = kStepNoteTest;  // a MIDI test step's position (isMidiTestStep)
  bool enabled = false;
  std::vector<PageView> pages;
  std::vector<int> neverUnderTest;  // defined controls of the step no page tests
};

struct ModelCheck {
  StationFolder folder;
  std::string profile;      // device profile section, empty when a settings file was given
  bool audioKnown = false;  // false: a settings file alone, the profile's driver unknown
  std::string settingsShown;
  std::string settingsOpen;
  IniDocument ini;
  bool audioWarning = false;  // the station's audio rule disabled steps 6 and 7
  Settings loaded;            // the station's settings record after the load
  BmpImage off, red, green, meterOn, meterOff;
  std::vector<StepView> steps;  // steps 3, 4 and 5
  FindingList* findings = nullptr;
};

// Loads the settings file through the station's loader and runs every check.
void checkModel(ModelCheck& model);

// Helpers shared by the parts: a finding goes into model.findings.
void addFinding(ModelCheck& model, Severity severity, const char* check, const std::string& section,
                const std::string& key, const std::string& message, int line = -1,
                const std::string& file = "");
void addControlFinding(ModelCheck& model, Severity severity, const char* check, bool note,
                       int index, const std::string& message);
std::string controlKey(int index);  // "7" or "7:1"
// A numbered settings key ("test3", "text3_2"): second -1 for the step's own key.
std::string numberedKeyText(const char* stem, int step, int second);
std::string controlAddress(bool note, int index);  // "Note 7 ch 1", "CC 22 any channel"
int controlLine(const ModelCheck& model, bool note, int index);
std::string rectText(const ControlRect& rect);
// "any channel, channels 3-16"
std::string pageChannelsText(const PageView& page);
bool stepEnabled(const ModelCheck& model, int step);
bool isDefined(bool note, int index);
const ControlRect& rectOf(bool note, int index);
// A rectangle's far edges, in 64 bits: x + width can pass the 32-bit range.
int64_t rightEdge(const ControlRect& rect);
int64_t bottomEdge(const ControlRect& rect);
bool overlaps(const ControlRect& a, const ControlRect& b);

#endif
