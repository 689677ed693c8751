// The run's eight steps by position. The settings file, the messages and the operator count
// steps 1..8; the code holds the position, the step number minus 1. Positions with a role of
// their own are named here and nowhere else. No includes: every subsystem may use it.
#ifndef BASE_STEPS_H
#define BASE_STEPS_H

constexpr int kStepCount = 8;

constexpr int kStepOpening = 0;         // step 1: opening page, text only
constexpr int kStepMidiLink = 1;        // step 2: clock tempo and loopback shown
constexpr int kStepNoteTest = 2;        // step 3: "Midi Note Test"
constexpr int kStepControllerTest = 3;  // step 4: "Midi Controller Test"
constexpr int kStepNoteRxTest = 4;      // step 5: "Midi Note Rx Test"
constexpr int kStepAudioOut = 5;        // step 6: one output pair at a time
constexpr int kStepAudioIn = 6;         // step 7: one input pair at a time
constexpr int kStepClosing = 7;         // step 8: closing page, text only
constexpr int kFinishedStep = 8;        // past the last step: the run is over

static_assert(kFinishedStep == kStepCount, "the run finishes just past its last step");
static_assert(kStepClosing == kStepCount - 1, "the closing page is the last step");

// The number the settings keys ("test3", "text3_1", "video6_2") and the operator use.
constexpr int stepNumber(int step) {
  return step + 1;
}

// The numbers a settings file may use: "test1" .. "test8".
constexpr int kFirstStepNumber = stepNumber(kStepOpening);
constexpr int kLastStepNumber = stepNumber(kStepClosing);

// The position of a step number read from a settings key ("test3", "text3_1"); it names a step
// only when isStep holds for it.
constexpr int stepOfNumber(int number) {
  return number - 1;
}

constexpr bool isStep(int step) {
  return step >= kStepOpening && step < kStepCount;
}

// Steps 3 to 5: the MIDI tests, whose pages each test a set of channels.
constexpr bool isMidiTestStep(int step) {
  return step == kStepNoteTest || step == kStepControllerTest || step == kStepNoteRxTest;
}

// Steps 6 and 7: they walk channel pairs instead of pages.
constexpr bool isAudioStep(int step) {
  return step == kStepAudioOut || step == kStepAudioIn;
}

#endif
