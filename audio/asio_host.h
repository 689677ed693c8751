// The ASIO driver host: finds the unit's driver, opens it at 44100 Hz, creates the buffers
// and streams; serves the driver's control panel; closes it at shutdown.
#ifndef AUDIO_ASIO_HOST_H
#define AUDIO_ASIO_HOST_H

#include <cstdint>

#include "audio/asio.h"
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

constexpr int kMaxAsioEntries = 2 * kMaxAsioChannels;  // inputs, then outputs

// Written on the window thread only while the driver is not streaming; the driver's thread
// reads it between start and stop, which the driver's own thread hand-over orders. The
// counts and levels that cross threads while streaming live in asioFacts. The driver
// pointer is shared too: it is cleared at once when a driver faults, running or not.
struct AsioHost {
  Shared<IASIO*> driver;  // the one reference the host holds, or null
  int32_t preferredBufferSize;
  int32_t inputLatency, outputLatency;
  double sampleRate;
  ASIOBufferInfo bufferInfos[kMaxAsioEntries];
  ASIOChannelInfo channelInfos[kMaxAsioEntries];
  ASIOCallbacks hostCallbacks;  // drivers keep a pointer to it: static storage
  bool audioRunning;
  // The instance in driver was asked to start and has not returned from stop: its thread
  // may be calling the stream handlers.
  bool driverStarted;
  // An instance was abandoned while started (it faulted): its thread may call the handlers
  // until the process ends, so the tables and the loop sample they read are never rewritten
  // or freed again.
  bool abandonedRunning;
};
extern AsioHost asioHost;

// Facts and host back to the program-start state: no driver, no channels, no levels (for
// resetStation; never while a driver streams).
void clearAsioHost();

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
