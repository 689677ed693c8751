// The test sequence: position in the run (step, page, channel pair) and how it moves on.
#ifndef APP_SEQUENCE_H
#define APP_SEQUENCE_H

#include <cstdint>

#include "app/shared_word.h"
#include "app/steps.h"

// Written on the window thread only; read by the MIDI and audio threads.
extern Shared<int32_t> currentStep;  // 0..7 for steps 1..8, 8 when finished
extern Shared<int32_t> currentPage;  // -1: the step's own text; 0..15: its pages
extern Shared<int32_t> currentPair;  // channel pair of steps 6 and 7

void advance(bool forced);
void checkAutoAdvance();
int pageCount();
int channelPrefix(int page);
void setChannelFilter(bool usePages);

// Back to the program-start position (step 1, page 0, pair 0).
void resetSequence();

#endif
