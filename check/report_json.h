// The findings and what the checker learnt of each model, as JSON for tools.
#ifndef CHECK_REPORT_JSON_H
#define CHECK_REPORT_JSON_H

#include <nlohmann/json.hpp>

#include "check/findings.h"
#include "check/model_check.h"

// The model's controls and step pages; read while the station's records hold the model.
nlohmann::json modelJson(const ModelCheck& model);
nlohmann::json findingJson(const Finding& finding);
// The whole run, every text in UTF-8 whatever its bytes (Windows-1252 converted), so that
// it always dumps as valid JSON.
nlohmann::json runJson(const std::string& path, const FindingList& findings,
                       const nlohmann::json& models);

#endif
