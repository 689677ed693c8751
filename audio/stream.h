// The stream handlers the driver calls while it streams: the loop sample to the outputs
// under test, silence elsewhere, and peak levels from every input.
#ifndef AUDIO_STREAM_H
#define AUDIO_STREAM_H

#include <cstdint>

#include "audio/asio.h"

// The four callbacks of ASIOCallbacks, in the convention drivers call them with.
void ASIO_CDECL bufferSwitch(int32_t index, ASIOBool directProcess);
ASIOTime* ASIO_CDECL bufferSwitchTimeInfo(ASIOTime* time, int32_t index, ASIOBool directProcess);
int32_t ASIO_CDECL asioMessage(int32_t selector, int32_t value, void* message, double* opt);
void ASIO_CDECL sampleRateDidChange(ASIOSampleRate rate);

// Exported for the tests; the handlers above are their only other callers.
// Largest sample of a half-buffer on the 16-bit meter scale: 0..32767 for integer types,
// 0..65536 for float types (1.0 and above give 65536); 0 for types not measured.
int32_t inputPeak(ASIOSampleType type, const void* buffer, int32_t frames);
// Writes frames of the loop sample from loopPosition on, then advances it (wrapping).
// Silence when there is no loop sample or the type is not encoded.
void fillFromLoop(ASIOSampleType type, void* buffer, int32_t frames);
int32_t bytesPerSample(ASIOSampleType type);

// Frame index into the loop sample; touched only on the driver's thread.
extern int32_t loopPosition;
// The loop from its first frame again (for resetStation).
void rewindLoop();

#endif
