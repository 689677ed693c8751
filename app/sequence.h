// The test sequence: position in the run (step, page, channel pair) and how it moves on.
#ifndef APP_SEQUENCE_H
#define APP_SEQUENCE_H

#include "base/run_position.h"
#include "base/steps.h"

// The functions below are the only writers of the position (base/run_position.h).

// The operator's "Continue..." or "Skip Test..." press: the next channel pair of an audio
// step, else the step ends at once, whatever pages it has left.
void advanceByOperator();
// The page passed: the step's next page, or on from its last page as the operator's press.
void advanceToNextPage();
// On every timer tick: advanceToNextPage once no control under test on the page is left.
void checkAutoAdvance();

// Exported for the tests; the sequence itself is their only other caller.
// Pages of the current step (0..16), read afresh from the [text] keys.
int pageCount();
// Channel 0..15 that a page (-1: the step's own text) of the current step is prefixed
// with, or -1.
int channelPrefix(int page);
// Rewrites the channel filter for the current position; pages count in steps 3 to 5 only.
void setChannelFilter(bool usePages);
// Back to the program-start position (step 1, page 0, pair 0).
void resetSequence();

#endif
