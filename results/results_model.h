// The model a folder of reports is read against, loaded through the station's own loader:
// which controls take part in each MIDI step, their names and keys, and the panel picture.
#ifndef RESULTS_RESULTS_MODEL_H
#define RESULTS_RESULTS_MODEL_H

#include <cstdint>
#include <string>
#include <vector>

#include "check/bmp_image.h"
#include "midi/control_map.h"
#include "report/report_format.h"

// One MIDI step of the model: the controls the report lists for it.
struct ModelStep {
  ReportTestSection section;
  const char* csvName;             // "notes", "controllers", "leds"
  std::vector<uint8_t> takesPart;  // per control index
  std::vector<uint16_t> controls;  // the indices taking part, in index order
  std::vector<ControlRect> rects;  // per control index
};

struct ResultsModel {
  std::string settingsShown;  // as typed, '/' separators
  std::string profile;        // empty when a settings file was given
  ModelStep steps[kReportTestSectionCount];
  BmpImage panel;  // the unlit panel picture
};

struct ModelRequest {
  std::string path;           // a settings file or the launcher file, as typed
  std::string profile;        // --model: the launcher's device profile
  std::string stationFolder;  // --station-folder, as typed
};

// False with why when there is no model to read reports against.
bool loadResultsModel(const ModelRequest& request, ResultsModel& model, std::string& why);

#endif
