// The host's record of the open ASIO driver and the driver operations that need no Windows
// service. Shared by the host's Windows layer, the stream handlers and their tests.
#ifndef AUDIO_ASIO_DRIVER_H
#define AUDIO_ASIO_DRIVER_H

#include <cstdint>

#include "audio/asio.h"
#include "audio/asio_host.h"

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

// Operations on the instance in asioHost.driver. Channel counts go to asioFacts clamped to
// kMaxAsioChannels, so no table is ever indexed past its end.
//
// Error convention of audio/: inside, an operation that calls the driver returns an
// ASIOError, ASE_OK on success, else the driver's own result code, or kHostRefused where
// the driver answered but the host cannot use the answer (a failed init, no usable buffer).
// At the module's edges (asio_host.h, and the probe, which only asks whether a candidate
// is usable) a flag.
constexpr ASIOError kHostRefused = 1;

// init, channel counts, buffer size and channel types; false (counts 0) on any failure.
bool probeDriver(void* window);
// init and the sample rate: ASE_OK when open at rate, else kHostRefused (a failed init
// also releases the instance).
ASIOError initDriverAtRate(void* window, double rate);
// ASE_OK when buffers exist for every usable channel, else the driver's error or
// kHostRefused.
ASIOError createAudioBuffers();
ASIOError startDriver();
void stopDriver();     // stop and dispose of the buffers, when streaming
void releaseDriver();  // gives back the reference, if any
// Forgets a driver that faulted, without calling it again (Release would run its code):
// no channel is left in use, and an instance that was started counts as still running.
void abandonDriver();

#endif
