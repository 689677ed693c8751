// Outcome of the three MIDI tests and the plain-text results report.
#ifndef REPORT_RESULTS_H
#define REPORT_RESULTS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/asio_summary.h"
#include "midi/control_map.h"

// Per control index: -1 not part of the test, 0 not passed, 1 passed.
struct ResultTable {
  int16_t entry[kControlCount];
};

extern ResultTable noteResults;        // step 3
extern ResultTable controllerResults;  // step 4
extern ResultTable receiveResults;     // step 5

// Keeps what the current page of steps 3-5 passed before its tables are cleared, so that a
// step of several pages reports the passes of every page. Called before every page reset.
void collectPageResults();
// At the end of steps 3, 4 and 5: the step's table from the defined flags and what passed
// on any of the step's pages. Called at the end of every step, before the page reset.
void snapshotResults();
// All tables back to the program-start state (for tests).
void clearResults();

// Whether the report has its "[ASIO Driver]" section: a whole output or input pair.
bool hasAsioSection(int32_t outputCount, int32_t inputCount);
// The whole report text (CR LF line ends); summary may be null for a unit without audio.
// Exported for the tests; writeReportFile is its only other caller.
std::string composeReport(const AsioSummary* summary);
// The save dialog's name turned into the report's name: "x.abc" -> "x.txt", else + ".txt".
// Never writes past capacity: a name too long for ".txt" is cut before it.
void applyReportExtension(char* name, size_t capacity);
// Gives the "[ASIO Driver]" section's values; false when the report has no such section.
using AsioSummarySource = bool (*)(AsioSummary& summary);
// Creates the file, and only then asks describeAudio (null for a unit without audio) for
// the section; writes the report. False when the file could not be created or fully
// written, and then no cut report is left under that name.
bool writeReportFile(const char* path, AsioSummarySource describeAudio);

// Asks whether to save and where, writes the report (Win32 layer).
void offerReport();

#endif
