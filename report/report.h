// The plain-text results report: its text from the result tables and the driver's facts,
// its name, writing it (report.cpp), and offering it to the operator (report_win32.cpp).
#ifndef REPORT_REPORT_H
#define REPORT_REPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/asio_summary.h"

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

#endif
