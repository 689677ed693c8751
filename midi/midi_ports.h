// The unit's MIDI input and output ports, found by the selected port name.
#ifndef MIDI_MIDI_PORTS_H
#define MIDI_MIDI_PORTS_H

#include <cstdint>

bool openMidiInput();    // opens and starts the input; shows its own message on failure
bool openMidiOutput();   // shows its own message on failure
void closeMidiInput();   // stop, reset, close
void closeMidiOutput();  // reset, close
void sendMidiShortMessage(uint32_t word);

#endif
