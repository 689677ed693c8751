// The control map: every control of the unit, where it is drawn, and what has passed on
// the current page. All tables share one control index:
//   0..127      any-channel entries (index = note or controller number)
//   128..2175   channel entries, index = channel(1..16) * 128 + number
#ifndef MIDI_CONTROL_MAP_H
#define MIDI_CONTROL_MAP_H

#include <cstdint>

#include "base/rectangle.h"
#include "base/shared_word.h"

// The index layout: one block of entries per note or controller number, first the block
// that answers on any channel, then one block per MIDI channel 1..16.
constexpr int kNumbersPerBlock = 128;
constexpr int kChannelCount = 16;
constexpr int kAnyChannelCount = kNumbersPerBlock;
constexpr int kControlCount = kNumbersPerBlock * (1 + kChannelCount);
static_assert(kControlCount == 2176);

// The channel nibble an any-channel note is flashed on before any any-channel control has
// passed: the sixteenth channel.
constexpr int16_t kInitialAnyChannel = kChannelCount - 1;

// A controller passes once it has been swept on one page from the middle of its range to
// near both ends: its seen minimum and maximum start at 64 and must reach 3 and 125.
constexpr int16_t kSweepStart = 64;
constexpr int16_t kSweepLowEnd = 3;
constexpr int16_t kSweepHighEnd = 125;

enum class ControlKind { Note, Controller };

struct ControlMap {
  // Definitions: written by the settings load before any MIDI port opens, read-only after.
  int16_t noteDefined[kControlCount];
  int16_t controllerDefined[kControlCount];
  ControlRect noteRect[kControlCount];
  ControlRect controllerRect[kControlCount];
  int32_t receiveFlag[kControlCount];
  // Page state: set by the MIDI callback thread, cleared by the window thread.
  Shared<int16_t> noteTested[kControlCount];
  Shared<int16_t> controllerTested[kControlCount];
  Shared<int16_t> controllerMin[kControlCount];
  Shared<int16_t> controllerMax[kControlCount];
  // Channel nibble of the last message that passed an any-channel control.
  Shared<int16_t> lastAnyChannel{kInitialAnyChannel};
};

struct ChannelFilter {
  Shared<uint8_t> channelEnabled[kChannelCount];  // element k: MIDI channel k + 1
  Shared<int32_t> selectedChannel{-1};            // 0..15, or -1 for none
};

extern ControlMap controlMap;
extern ChannelFilter channelFilter;  // read anywhere, changed only by the functions below

inline int anyChannelIndex(int number) {
  return number;
}
inline int channelIndex(int channel, int number) {
  return channel * kNumbersPerBlock + number;
}
inline int channelOfIndex(int index) {
  return index / kNumbersPerBlock;
}
inline int numberOfIndex(int index) {
  return index % kNumbersPerBlock;
}

// Channel entry (nibble + 1) * 128 + number when the kind defines it, else the number.
// channelNibble 0..15 and number 0..127: callers reject anything else first.
int resolveControlIndex(ControlKind kind, int channelNibble, int number);
// Whether the current page tests an index; false for an index outside the map.
bool isControlEnabled(int index);
// Back to the state of a fresh page: ranges kSweepStart..kSweepStart, nothing tested.
void resetPageTables();
// Map and channel filter back to the program-start state, definitions included
// (resetStation, tests).
void clearControlMap();

// The only ways the channel filter changes, all on the window thread. Channels are 0..15.
// Every channel under test, and the any-channel entries with them.
void enableAllChannels();
// One channel alone under test; the any-channel entries are not.
void selectOnlyChannel(int channel);
// One channel out of the page's test (another page of the step claims it); the rest stays.
void releaseChannel(int channel);

#endif
