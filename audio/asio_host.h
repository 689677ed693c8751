// The ASIO driver host: finds the unit's driver, opens it at 44100 Hz, creates the buffers
// and streams; serves the driver's control panel; closes it at shutdown.
#ifndef AUDIO_ASIO_HOST_H
#define AUDIO_ASIO_HOST_H

#include <cstdint>

#include "audio/asio_summary.h"
#include "base/shared_word.h"

constexpr int kMaxAsioChannels = 32;  // of each direction

// Facts read by the rest of the program. The window thread writes the counts only while
// the driver is stopped; inputLevels are raised by the audio thread, lowered by the timer.
struct AsioFacts {
  Shared<int32_t> inputCount;
  Shared<int32_t> outputCount;
  Shared<int32_t> inputLevels[kMaxAsioChannels];
};
extern AsioFacts asioFacts;

// window: the main window's handle. True: no driver configured, or streaming.
bool startAudio(void* window);
void stopAudio();
bool showDriverControlPanel(void* window);
// The main window (window) is being destroyed: a driver's panel that is still open, running
// its own message loop, is asked to close, so that the program's shutdown does not wait for
// the operator to close it.
void closeDriverPanel(void* window);
// The report's "[ASIO Driver]" facts; false when there is no driver section to write.
bool describeAsioDriver(AsioSummary& summary);

#endif
