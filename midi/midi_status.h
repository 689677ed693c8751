// The MIDI status bytes the program reads and sends. A channel message carries its kind in
// the high four bits and the channel (0..15) in the low four.
#ifndef MIDI_MIDI_STATUS_H
#define MIDI_MIDI_STATUS_H

#include <cstdint>

constexpr uint32_t kStatusKindMask = 0xF0;
constexpr uint32_t kStatusChannelMask = 0x0F;

constexpr uint32_t kNoteOff = 0x80;
constexpr uint32_t kNoteOn = 0x90;
constexpr uint32_t kControlChange = 0xB0;
// Pitch bend is taken exactly as a control change: its first data byte (the low bits of the
// bend) as the controller number, its second (the high bits) as the value.
constexpr uint32_t kPitchBend = 0xE0;

// System real-time messages: the clock that measures the tempo, and the two that restart it.
constexpr uint32_t kTimingClock = 0xF8;
constexpr uint32_t kStart = 0xFA;
constexpr uint32_t kStop = 0xFC;

#endif
