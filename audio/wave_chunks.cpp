#include "audio/wave_chunks.h"

#include <cstring>

constexpr size_t kFormatRecordSize = 16;
constexpr size_t kExtensibleFormatSize = 40;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM as it is stored in the file.
constexpr unsigned char kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

static uint16_t readLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

static uint32_t readLe32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Skips the rest of a chunk body of which `consumed` bytes were read, and its pad byte:
// chunks start on even offsets, so the pad follows from the chunk's own size. A size beyond
// what a seek can reach ends the walk.
static bool skipChunk(FILE* file, uint32_t size, uint32_t consumed) {
  const uint32_t padded = size + (size & 1);
  return padded >= size && padded <= 0x7FFFFFFF &&
         std::fseek(file, static_cast<long>(padded - consumed), SEEK_CUR) == 0;
}

static void takeFormat(const unsigned char* format, uint32_t size, WaveChunks& chunks) {
  chunks.formatSize = size;
  chunks.formatTag = readLe16(format);
  chunks.channels = readLe16(format + 2);
  chunks.sampleRate = readLe32(format + 4);
  chunks.blockAlign = readLe16(format + 12);
  chunks.bitsPerSample = readLe16(format + 14);
}

static WaveRefusal formatRefusal(const WaveChunks& chunks, const unsigned char* format) {
  if (chunks.formatSize < kFormatRecordSize) {
    return WaveRefusal::FormatShort;
  }
  const bool pcm =
      chunks.formatTag == kFormatPcm ||
      (chunks.formatTag == kFormatExtensible && chunks.formatSize >= kExtensibleFormatSize &&
       std::memcmp(format + 24, kPcmSubFormat, sizeof kPcmSubFormat) == 0);
  if (!pcm || chunks.bitsPerSample != 16 || (chunks.channels != 1 && chunks.channels != 2)) {
    return WaveRefusal::NotPcm16;
  }
  return chunks.blockAlign == 2 * chunks.channels ? WaveRefusal::None : WaveRefusal::BlockAlign;
}

// What the file holds of the data chunk's declared bytes, the file left at their start.
static uint32_t dataHeldOf(FILE* file, long offset, uint32_t declared) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return 0;
  }
  const long end = std::ftell(file);
  if (end <= offset || std::fseek(file, offset, SEEK_SET) != 0) {
    return 0;
  }
  const long available = end - offset;
  return available < static_cast<long>(declared) ? static_cast<uint32_t>(available) : declared;
}

// What stands in the way of the data, once the format is accepted.
static WaveRefusal dataRefusal(FILE* file, WaveChunks& chunks) {
  if (chunks.dataOffset < 0) {
    return WaveRefusal::NoData;
  }
  if (chunks.dataBytes > kMaxLoopDataBytes) {
    return WaveRefusal::DataTooLarge;
  }
  if (chunks.dataBytes == 0) {
    return WaveRefusal::DataEmpty;
  }
  chunks.dataHeld = dataHeldOf(file, chunks.dataOffset, chunks.dataBytes);
  chunks.frameBytes = chunks.blockAlign;
  return chunks.dataHeld < chunks.blockAlign ? WaveRefusal::NoFrames : WaveRefusal::None;
}

WaveChunks walkWaveChunks(FILE* file) {
  WaveChunks chunks{};
  chunks.dataOffset = -1;
  unsigned char header[12];
  if (std::fread(header, 1, sizeof header, file) != sizeof header ||
      std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
    chunks.refusal = WaveRefusal::NotRiffWave;
    return chunks;
  }
  bool formatSeen = false;
  unsigned char format[kExtensibleFormatSize] = {};
  unsigned char chunk[8];
  while (std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
    const uint32_t size = readLe32(chunk + 4);
    uint32_t consumed = 0;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !formatSeen) {
      consumed = size < sizeof format ? size : static_cast<uint32_t>(sizeof format);
      if (std::fread(format, 1, consumed, file) != consumed) {
        chunks.refusal = WaveRefusal::FormatCut;
        return chunks;
      }
      formatSeen = true;
      takeFormat(format, size, chunks);
    } else if (std::memcmp(chunk, "data", 4) == 0 && chunks.dataOffset < 0) {
      chunks.dataOffset = std::ftell(file);
      chunks.dataBytes = size;
    }
    if ((formatSeen && chunks.dataOffset >= 0) || !skipChunk(file, size, consumed)) {
      break;
    }
  }
  if (!formatSeen) {
    chunks.refusal = WaveRefusal::NoFormat;
    return chunks;
  }
  chunks.refusal = formatRefusal(chunks, format);
  if (chunks.refusal == WaveRefusal::None) {
    chunks.refusal = dataRefusal(file, chunks);
  }
  return chunks;
}
