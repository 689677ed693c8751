#include "midi/note_receive.h"

#include "app/sequence.h"
#include "midi/control_map.h"
#include "midi/midi_ports.h"

Shared<int16_t> currentRxIndex;

namespace {

constexpr uint32_t kFlashPeriodMs = 100;

// Window thread only.
int16_t rxNoteOn;
uint32_t lastRxTick;  // 0: no tick has acted yet

}  // namespace

static int firstUntestedReceiveNote() {
  for (int i = 0; i < kControlCount; ++i) {
    if (controlMap.noteTested[i].get() == 0 && controlMap.receiveFlag[i] != 0) {
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
    channel = controlMap.lastAnyChannel.get() & 0x0F;
  } else {
    channel = channelOfIndex(index) - 1;
    number = numberOfIndex(index);
  }
  // Deliberately 0xFF, not 0x7F, in the second byte, for note-on and note-off alike.
  const uint32_t status = (noteOn ? 0x90u : 0x80u) + static_cast<uint32_t>(channel);
  return status | static_cast<uint32_t>(number) << 8 | 0xFFu << 16;
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
  const int index = firstUntestedReceiveNote();
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
