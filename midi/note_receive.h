// Step 5: flashing one receive-flag note at a time on the unit's LEDs.
#ifndef MIDI_NOTE_RECEIVE_H
#define MIDI_NOTE_RECEIVE_H

#include <cstdint>

#include "base/shared_word.h"

extern Shared<int16_t> currentRxIndex;  // the control being flashed; read by the MIDI thread

// The control the next acting tick flashes: the lowest untested receive note that the
// current page tests, or -1 when none is left. The model checker plays step 5 with it.
int nextFlashedNote();
// Called on every timer tick; acts at most once per 100 ms and only in step 5.
void noteReceiveTick();
// Back to the program-start state (resetStation, tests).
void clearNoteReceive();

#endif
