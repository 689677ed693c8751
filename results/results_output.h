// What the tool prints and writes from a tally: the terminal summary, the CSV table and the
// JSON document. Each figure is computed here once; the web page takes its rows from here too.
#ifndef RESULTS_RESULTS_OUTPUT_H
#define RESULTS_RESULTS_OUTPUT_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "results/results_model.h"
#include "results/tally.h"

// One control taking part in one step: on how many units the step ran, how many it failed.
struct ControlRow {
  int step;  // position in the model's steps (0..2)
  int index;
  int units;
  int notPassed;
};

// Step order, then most not passed first, then control index.
std::vector<ControlRow> controlRows(const ResultsModel& model, const Tally& tally);
// The rows that failed at least once, most failures first (then step order and index).
std::vector<ControlRow> mostFailing(const std::vector<ControlRow>& rows, size_t count);

std::string controlName(const ResultsModel& model, const ControlRow& row);
std::string controlKeyText(const ControlRow& row);

// "FILE:LINE: error: MESSAGE [code]" (warning for a copy); no ":LINE" for the file as a whole.
std::string formatNote(const FileNote& note, bool warning);
std::string summaryText(const ResultsModel& model, const Tally& tally);
std::string csvText(const ResultsModel& model, const Tally& tally);
nlohmann::json resultsJson(const ResultsModel& model, const Tally& tally);
// "2026-12-07" in local time: the day a report was written.
std::string dayOf(std::time_t time);

#endif
