// The model sheet: one self-contained web page (pictures embedded, no network) that shows
// every control outlined on the panel, what each page of the MIDI steps puts under test, and
// the findings, each leading to its control.
#ifndef CHECK_MODEL_SHEET_H
#define CHECK_MODEL_SHEET_H

#include <string>
#include <vector>

#include "check/findings.h"
#include "check/model_check.h"

// One model's part of the page; read while the station's records hold the model.
std::string sheetSection(const ModelCheck& model, int number, const std::vector<Finding>& findings);
// The whole page around the parts; findings of no model (the launcher's) listed first.
std::string sheetPage(const std::string& path, const FindingList& all,
                      const std::vector<Finding>& general, const std::vector<std::string>& parts);
bool writeSheet(const std::string& folder, const std::string& page);

#endif
