// The position in the run: which step, page and channel pair the operator is on. Every
// floor reads it (the MIDI callback and the buffer switch decide by it what a message or a
// buffer means), so it lies on the ground floor; the sequence (app/sequence.h) is its only
// writer in the station, on the window thread.
#ifndef BASE_RUN_POSITION_H
#define BASE_RUN_POSITION_H

#include <cstdint>

#include "base/shared_word.h"

extern Shared<int32_t> currentStep;  // 0..7 for steps 1..8, 8 when finished
extern Shared<int32_t> currentPage;  // -1: the step's own text; 0..15: its pages
extern Shared<int32_t> currentPair;  // channel pair of steps 6 and 7

#endif
