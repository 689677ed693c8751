#include "midi/note_receive.h"

#include "base/platform_hooks.h"
#include "base/run_position.h"
#include "base/steps.h"
#include "midi/control_map.h"
#include "midi/midi_status.h"

Shared<int16_t> currentRxIndex;

namespace {

// A flashing LED gets one message, on or off in turn, per tick that acts, and a tick acts
// only when more than this has passed since the last one that did. The velocity byte is
// deliberately 0xFF, not 0x7F, for note-on and note-off alike.
constexpr uint32_t kFlashPeriodMs = 100;
constexpr uint32_t kFlashVelocity = 0xFF;

// Window thread only.
int16_t rxNoteOn;
uint32_t lastRxTick;  // 0: no tick has acted yet

}  // namespace

int nextFlashedNote() {
  // A note the page does not test would be waited for in vain: the MIDI input rejects its
  // press by the same channel rule, and only the operator's button would end the page.
  for (int i = 0; i < kControlCount; ++i) {
    if (controlMap.noteTested[i].get() == 0 && controlMap.receiveFlag[i] != 0 &&
        isControlEnabled(i)) {
      return i;
    }
  }
  return -1;
}

static uint32_t noteMessage(int index, bool noteOn) {
  int channel = 0;
  int number = index;
  if (index < kAnyChannelCount) {
    // An any-channel note is flashed on the channel the unit last used for one.
    channel = controlMap.lastAnyChannel.get() & kStatusChannelMask;
  } else {
    channel = channelOfIndex(index) - 1;
    number = numberOfIndex(index);
  }
  const uint32_t status = (noteOn ? kNoteOn : kNoteOff) + static_cast<uint32_t>(channel);
  return status | static_cast<uint32_t>(number) << 8 | kFlashVelocity << 16;
}

void noteReceiveTick() {
  const uint32_t now = systemTickCount();
  if (currentStep.get() != kStepNoteRxTest) {
    return;
  }
  // Elapsed time as an unsigned difference, so the 49.7-day wrap of the tick count does
  // not stop the flashing.
  if (lastRxTick != 0 && now - lastRxTick <= kFlashPeriodMs) {
    return;
  }
  lastRxTick = now;
  const int index = nextFlashedNote();
  if (index < 0) {
    return;
  }
  if (index != currentRxIndex.get()) {
    rxNoteOn = 1;
  }
  currentRxIndex.set(static_cast<int16_t>(index));
  sendMidiShortMessage(noteMessage(index, rxNoteOn != 0));
  rxNoteOn = rxNoteOn != 0 ? 0 : 1;
}

void clearNoteReceive() {
  currentRxIndex.set(0);
  rxNoteOn = 0;
  lastRxTick = 0;
}
