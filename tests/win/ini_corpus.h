// Awkward settings files for comparing the section-read path with per-key reads.
#ifndef TESTS_WIN_INI_CORPUS_H
#define TESTS_WIN_INI_CORPUS_H

#include <string>
#include <vector>

struct IniFile {
  std::string name;
  std::string content;  // written byte for byte
};

// The settings file's key of a control index: "7", or number:channel "7:3".
std::string controlKey(int index);

// Every [notes] and [controllers] key of the control map defined (well over 32 KB).
std::string fullMapIni();
// Quotes, blanks, duplicates, comments, odd keys, long and empty values, line-end kinds,
// and seeded random files.
std::vector<IniFile> awkwardIniFiles();

// A fresh folder under the temporary folder, with a trailing backslash.
std::string makeTempFolder();
std::string writeIniFile(const std::string& folder, const IniFile& file);

#endif
