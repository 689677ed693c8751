// The settings file's text: its sections, keys, duplicates and the values the station would scan.
#ifndef CHECK_CHECK_SETTINGS_TEXT_H
#define CHECK_CHECK_SETTINGS_TEXT_H

#include <string>

#include "check/model_check.h"

void checkSettingsText(ModelCheck& model);

// Whether the station reads key in [section] of a settings file; when not, why, in explain.
bool isReadKey(const std::string& section, const std::string& key, std::string& explain);

#endif
