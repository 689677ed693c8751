// Analysis of every short MIDI message the unit sends: clock tempo, loopback, notes and
// controllers. Runs on the MIDI service's callback thread; takes no lock, allocates nothing.
#ifndef MIDI_MIDI_ANALYSIS_H
#define MIDI_MIDI_ANALYSIS_H

#include <cstdint>

#include "base/shared_word.h"

extern Shared<int32_t> tempoBpm;          // last measured tempo, 0 until the first
extern Shared<int32_t> loopbackDetected;  // 1 while the last two note messages were equal

// One received short message (status in bits 0-7, data bytes in 8-15 and 16-23) with its
// timestamp in ms since the input port started.
void analyseShortMessage(uint32_t word, uint32_t timestamp);

// Clock and loopback state back to program start (resetStation, tests).
void clearMidiAnalysis();

#endif
