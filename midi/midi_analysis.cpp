#include "midi/midi_analysis.h"

#include "base/platform_hooks.h"
#include "base/run_position.h"
#include "base/steps.h"
#include "midi/control_map.h"
#include "midi/midi_status.h"
#include "midi/note_receive.h"

Shared<int32_t> tempoBpm;
Shared<int32_t> loopbackDetected;

namespace {

// The tempo is measured over windows of four beats at 24 clocks per beat: the 97th clock
// of a window closes it, and a window of t ms is 4 beats * 60000 ms / t beats per minute.
constexpr uint32_t kClocksPerWindow = 96;
constexpr double kWindowBeatMilliseconds = 4 * 60000.0;

// Only the callback thread touches these, but the MIDI service does not promise to call
// it from one and the same thread every time.
struct ClockDetector {
  Shared<uint32_t> windowStart;  // 0: no window open
  Shared<uint32_t> clockCount;
};

ClockDetector clockDetector;
Shared<uint32_t> lastNoteMessage;

}  // namespace

static int32_t tempoOfWindow(uint32_t elapsedMs) {
  if (elapsedMs == 0) {
    return 0;
  }
  return static_cast<int32_t>(kWindowBeatMilliseconds / elapsedMs + 0.5);
}

static void countClock(uint32_t timestamp) {
  const uint32_t start = clockDetector.windowStart.get();
  if (start == 0) {
    clockDetector.windowStart.set(timestamp);
    clockDetector.clockCount.set(0);
    return;
  }
  const uint32_t count = clockDetector.clockCount.get();
  if (count < kClocksPerWindow - 1) {
    clockDetector.clockCount.set(count + 1);
    return;
  }
  // Unsigned subtraction keeps the elapsed time right across a timestamp wrap.
  const int32_t tempo = tempoOfWindow(timestamp - start);
  if (tempo != tempoBpm.get()) {
    tempoBpm.set(tempo);
    refreshTextPane();
  }
  clockDetector.windowStart.set(timestamp);
  clockDetector.clockCount.set(0);
}

static void restartClock() {
  clockDetector.windowStart.set(0);
  clockDetector.clockCount.set(0);
}

static void noteLoopback(uint32_t word) {
  const int32_t detected = word == lastNoteMessage.get() ? 1 : 0;
  lastNoteMessage.set(word);
  if (detected != loopbackDetected.get()) {
    loopbackDetected.set(detected);
    refreshTextPane();
  }
}

static void passAnyChannelControl(int index, int channel) {
  if (index < kAnyChannelCount) {
    controlMap.lastAnyChannel.set(static_cast<int16_t>(channel));
  }
}

static void analyseNote(uint32_t word, int channel, int number, int velocity) {
  const int index = resolveControlIndex(ControlKind::Note, channel, number);
  const bool pressed = velocity != 0 && (word & kStatusKindMask) == kNoteOn;
  noteLoopback(word);
  // In the receive test only the control whose LED is flashing may pass.
  if (currentStep.get() == kStepNoteRxTest && index != currentRxIndex.get()) {
    return;
  }
  if (!isControlEnabled(index)) {
    return;
  }
  if (!pressed || controlMap.noteTested[index].get() != 0) {
    return;
  }
  controlMap.noteTested[index].set(1);
  drawNoteControl(index);
  passAnyChannelControl(index, channel);
}

static void analyseController(int channel, int number, int value) {
  const int index = resolveControlIndex(ControlKind::Controller, channel, number);
  // The enable test looks at the channel the message came on even when the any-channel
  // entry answers: an any-channel controller is tested on every enabled channel.
  if (!isControlEnabled(channelIndex(channel + 1, number))) {
    return;
  }
  const int16_t v = static_cast<int16_t>(value);
  if (v < controlMap.controllerMin[index].get()) {
    controlMap.controllerMin[index].set(v);
  }
  if (v > controlMap.controllerMax[index].get()) {
    controlMap.controllerMax[index].set(v);
  }
  if (controlMap.controllerTested[index].get() == 0 &&
      controlMap.controllerMin[index].get() <= kSweepLowEnd &&
      controlMap.controllerMax[index].get() >= kSweepHighEnd) {
    controlMap.controllerTested[index].set(1);
    drawControllerControl(index);
    passAnyChannelControl(index, channel);
  }
}

void analyseShortMessage(uint32_t word, uint32_t timestamp) {
  const uint32_t status = word & 0xFF;
  const int channel = static_cast<int>(status & kStatusChannelMask);
  const int d1 = static_cast<int>((word >> 8) & 0xFF);
  const int d2 = static_cast<int>((word >> 16) & 0xFF);
  if (status == kTimingClock) {
    countClock(timestamp);
    return;
  }
  if (status == kStart || status == kStop) {
    restartClock();
    return;
  }
  // A data byte with its top bit set would index past the control map; no conforming
  // port sends one, so such a message is dropped whole.
  if (d1 > 127 || d2 > 127) {
    return;
  }
  const uint32_t kind = status & kStatusKindMask;
  if (kind == kNoteOff || kind == kNoteOn) {
    analyseNote(word, channel, d1, d2);
  } else if (kind == kControlChange || kind == kPitchBend) {
    analyseController(channel, d1, d2);
  }
}

void clearMidiAnalysis() {
  restartClock();
  tempoBpm.set(0);
  loopbackDetected.set(0);
  lastNoteMessage.set(0);
}
