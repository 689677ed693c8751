// Outcome of the three MIDI tests: one table per test, kept across the pages of a step.
#ifndef REPORT_RESULTS_H
#define REPORT_RESULTS_H

#include <cstdint>

#include "midi/control_map.h"

// Per control index: -1 not part of the test, 0 not passed, 1 passed.
struct ResultTable {
  int16_t entry[kControlCount];
};

extern ResultTable noteResults;        // step 3
extern ResultTable controllerResults;  // step 4
extern ResultTable receiveResults;     // step 5

// Keeps what the current page of step (a position) passed before its tables are cleared, so
// that a step of several pages reports the passes of every page. Called before every page
// reset; steps other than 3 to 5 keep nothing.
void collectPageResults(int step);
// At the end of steps 3, 4 and 5: the step's table from the defined flags and what passed
// on any of the step's pages. Called at the end of every step, before the page reset.
void snapshotResults(int step);
// All tables back to the program-start state (resetStation, tests).
void clearResults();

#endif
