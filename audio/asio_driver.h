// The driver operations on the instance the host holds (asioHost.driver) that need no Windows
// service. Shared by the host's Windows layer and its tests.
#ifndef AUDIO_ASIO_DRIVER_H
#define AUDIO_ASIO_DRIVER_H

#include <cstdint>

#include "audio/asio.h"
#include "audio/asio_host.h"

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
