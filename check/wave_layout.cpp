#include "check/wave_layout.h"

#include <cstdio>

#include "audio/wave_chunks.h"

static std::string formatName(uint32_t tag) {
  switch (tag) {
    case 1:
      return "PCM";
    case 3:
      return "floating-point";
    case 0xFFFE:
      return "extensible-format";
    default:
      return "format " + std::to_string(tag);
  }
}

static std::string problemOf(const WaveChunks& chunks) {
  switch (chunks.refusal) {
    case WaveRefusal::None:
      return "";
    case WaveRefusal::NotRiffWave:
      return "it is not a RIFF WAVE file";
    case WaveRefusal::FormatCut:
      return "the file ends inside its \"fmt \" chunk";
    case WaveRefusal::NoFormat:
      return "it has no \"fmt \" chunk";
    case WaveRefusal::FormatShort:
      return "its \"fmt \" chunk holds " + std::to_string(chunks.formatSize) +
             " bytes, too few for a format record (16)";
    case WaveRefusal::NotPcm16:
      return "it holds " + std::to_string(chunks.bitsPerSample) + "-bit " +
             formatName(chunks.formatTag) + " with " + std::to_string(chunks.channels) +
             " channels; the station plays 16-bit PCM, mono or stereo";
    case WaveRefusal::BlockAlign:
      return "its format says " + std::to_string(chunks.blockAlign) + " bytes per frame, not " +
             std::to_string(2 * chunks.channels) + " for 16-bit samples in " +
             std::to_string(chunks.channels) + " channels";
    case WaveRefusal::NoData:
      return "it has no \"data\" chunk";
    case WaveRefusal::DataTooLarge:
      return "its data chunk claims " + std::to_string(chunks.dataBytes) +
             " bytes, more than a loop can hold (" + std::to_string(kMaxLoopDataBytes) + ")";
    case WaveRefusal::DataEmpty:
      return "its data chunk is empty";
    case WaveRefusal::NoFrames:
      return "the file holds less than one frame of its data chunk";
  }
  return "";
}

WaveFacts readWaveFacts(const std::string& path) {
  WaveFacts facts;
  WaveChunks chunks{};
  chunks.refusal = WaveRefusal::NotRiffWave;  // a file that cannot be read holds no WAVE
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    chunks = walkWaveChunks(file);
    std::fclose(file);
  }
  facts.sampleRate = chunks.sampleRate;
  facts.dataBytes = chunks.dataBytes;
  facts.dataHeld = chunks.dataHeld;
  facts.problem = problemOf(chunks);
  return facts;
}
