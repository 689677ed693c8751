// The RIFF WAVE chunk walk of the loop file: where the frames stand and what they are, or the
// reason the loader refuses the file. The loader and the model checker both take the file
// through it, so the checker explains a file exactly as the station reads it.
#ifndef AUDIO_WAVE_CHUNKS_H
#define AUDIO_WAVE_CHUNKS_H

#include <cstdint>
#include <cstdio>

enum class WaveRefusal {
  None,          // the loader keeps the first channel of the data's frames
  NotRiffWave,   // no "RIFF" ... "WAVE" header
  FormatCut,     // the file ends inside the first "fmt " chunk's format record
  NoFormat,      // no "fmt " chunk before the walk ends
  FormatShort,   // the "fmt " chunk is shorter than a format record (16 bytes)
  NotPcm16,      // not 16-bit PCM with one or two channels
  BlockAlign,    // the block alignment is not 2 bytes per channel
  NoData,        // no "data" chunk before the walk ends
  DataTooLarge,  // the data chunk claims more than kMaxLoopDataBytes
  DataEmpty,     // the data chunk's size is 0
  NoFrames,      // the file holds less than one frame of the data
};

// A test loop lasts seconds; a data chunk claiming more than this (about six minutes of
// 44.1 kHz stereo) is a damaged header, refused before anything is allocated.
constexpr uint32_t kMaxLoopDataBytes = 64u << 20;

struct WaveChunks {
  WaveRefusal refusal;
  // The first "fmt " chunk's format record (zero where the chunk is shorter).
  uint32_t formatSize;
  uint16_t formatTag, channels, blockAlign, bitsPerSample;
  uint32_t sampleRate;
  int frameBytes;      // 2 or 4 when accepted
  long dataOffset;     // start of the first "data" chunk's body; -1 when none was seen
  uint32_t dataBytes;  // what the data chunk's header says it holds
  uint32_t dataHeld;   // what the file holds of it
};

// Walks the chunks from the start of file for the first "fmt " and "data", wherever they
// stand. When accepted, the file is left at the start of the data.
WaveChunks walkWaveChunks(FILE* file);

#endif
