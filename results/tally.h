// The reports of a run of the tool, one file at a time: which were read as units of the
// model, which were set aside and why, and the counts over all units.
#ifndef RESULTS_TALLY_H
#define RESULTS_TALLY_H

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "results/report_reader.h"
#include "results/results_model.h"

struct UnitRecord {
  std::string file;       // as named on the command line, '/' separators
  std::time_t modified;   // the report file's modification time
  ReportReading reading;  // what each step gave
};

struct FileNote {
  std::string file;
  SetAsideReason reason;
};

struct StepCounts {
  int ran = 0;          // units on which the step ran (not "<Not Tested>")
  int passedWhole = 0;  // units with "<Test Completed OK>"
  std::vector<uint32_t> notPassed = std::vector<uint32_t>(kControlCount, 0);
};

struct Tally {
  // Each unit's own record, for the JSON and the page; the terminal and the CSV need only
  // the counts, and without the records memory stays the same however many reports are read.
  bool keepUnits = true;
  std::vector<UnitRecord> units;
  int unitsRead = 0;
  std::vector<FileNote> setAside;
  std::vector<FileNote> warnings;  // byte-identical copies (counted all the same)
  StepCounts steps[kReportTestSectionCount];
  int firstPass = 0;  // units on which every MIDI step that ran passed whole
};

// The files REPORT arguments name: a file as given, a folder searched for *.txt (any case)
// at every depth, in name order. False with why when an argument names nothing.
bool collectReportFiles(const std::vector<std::string>& arguments, std::vector<std::string>& files,
                        std::string& why);
// Reads every file against the model, one at a time, and counts.
void tallyReports(const ResultsModel& model, const std::vector<std::string>& files, Tally& tally);
// Whether a unit counts towards the first-pass yield.
bool passedFirstTime(const ReportReading& reading);

#endif
