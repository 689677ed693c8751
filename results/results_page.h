// The results page: one self-contained web page (no network) that shows the unit's panel
// with every control coloured by how often it failed, the yield per step, the controls that
// fail most, the units per day, the sound cards seen and the files set aside.
#ifndef RESULTS_RESULTS_PAGE_H
#define RESULTS_RESULTS_PAGE_H

#include <string>

#include "results/results_model.h"
#include "results/tally.h"

std::string resultsPage(const ResultsModel& model, const Tally& tally);

#endif
