// The [text] keys of the settings file: one per step ("text3") and one per page of a step
// ("text3_2"), each an optional channel prefix ("2,") followed by a text file's path.
#ifndef CONFIG_PAGE_KEYS_H
#define CONFIG_PAGE_KEYS_H

#include <cstddef>

#include "config/settings_schema.h"

// Reads the key of step position step (0..7) and page (-1: the step's own key) into value,
// at most capacity - 1 characters; empty when the key is missing.
void readPageValue(int step, int page, char* value, size_t capacity);

// The number in front of a value's first comma: the value's leading decimal integer (blanks
// and one sign allowed, 0 without digits, saturated at the int range) when the value
// contains a comma anywhere, else 0.
int pagePrefixNumber(const char* value);

#endif
