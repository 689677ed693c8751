// The looped test signal: the left (or only) channel of a 16-bit PCM WAV file, loaded once
// when the audio host starts and played by the stream handlers.
#ifndef AUDIO_LOOP_SAMPLE_H
#define AUDIO_LOOP_SAMPLE_H

#include <cstdint>

struct LoopSample {
  int32_t frameCount;    // 0 when nothing is loaded
  int32_t* leftSamples;  // frameCount values in 16-bit range, or null
};

// Written only while the driver is stopped; read by the stream handlers while it runs.
extern LoopSample loopSample;

// Replaces the loop sample with the file at path. A file that cannot be read as 16-bit PCM
// (mono or stereo) leaves no sample; nothing is reported.
void loadLoopSample(const char* path);
void freeLoopSample();

#endif
