// The unit's MIDI input and output ports, found by the selected port name, and the list of
// input ports that device selection looks up in the launcher file.
#ifndef MIDI_MIDI_PORTS_H
#define MIDI_MIDI_PORTS_H

#include <cstddef>
#include <cstdint>

// A port name as the MIDI service reports it: its 32-character field, which a driver may
// fill to the end without a terminator, and a terminator.
constexpr size_t kPortNameCapacity = 33;

int midiInputPortCount();
// The name of input port 0 .. midiInputPortCount() - 1; false when the service cannot tell.
bool readMidiInputName(int port, char* name);  // name: kPortNameCapacity bytes

// portName: the unit's port name, which also captions the messages shown on failure. Of
// several ports of that name (ASCII case ignored) the highest-numbered one is used.
bool openMidiInput(const char* portName);   // opens and starts the input
bool openMidiOutput(const char* portName);  // opens the output
void closeMidiInput();                      // stop, reset, close
void closeMidiOutput();                     // reset, close

#endif
