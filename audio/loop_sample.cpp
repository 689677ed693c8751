#include "audio/loop_sample.h"

#include <cstdio>
#include <cstring>
#include <new>

LoopSample loopSample;

// A test loop lasts seconds; a data chunk claiming more than this (about six minutes of
// 44.1 kHz stereo) is a damaged header, refused before anything is allocated.
constexpr uint32_t kMaxDataBytes = 64u << 20;
constexpr size_t kReadBlock = 1024;
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

// The frame layout the loader accepts: 16-bit PCM, one or two channels.
static int frameBytesOf(const unsigned char* format, uint32_t size) {
  if (size < 16) {
    return 0;
  }
  const uint16_t tag = readLe16(format);
  const uint16_t channels = readLe16(format + 2);
  const uint16_t blockAlign = readLe16(format + 12);
  const uint16_t bits = readLe16(format + 14);
  const bool pcm =
      tag == kFormatPcm || (tag == kFormatExtensible && size >= kExtensibleFormatSize &&
                            std::memcmp(format + 24, kPcmSubFormat, sizeof kPcmSubFormat) == 0);
  if (!pcm || bits != 16 || (channels != 1 && channels != 2) || blockAlign != 2 * channels) {
    return 0;
  }
  return blockAlign;
}

// Skips the rest of a chunk body of which `consumed` bytes were read, and its pad byte:
// chunks start on even offsets, so the pad follows from the chunk's own size.
static bool skipChunk(FILE* file, uint32_t size, uint32_t consumed) {
  const uint32_t padded = size + (size & 1);
  return padded >= size && padded <= 0x7FFFFFFF &&
         std::fseek(file, static_cast<long>(padded - consumed), SEEK_CUR) == 0;
}

struct WaveLayout {
  int frameBytes;   // 0: no usable "fmt " chunk seen
  long dataOffset;  // -1: no "data" chunk seen
  uint32_t dataBytes;
};

// Walks the RIFF chunks for "fmt " and "data", wherever they stand.
static bool findWaveLayout(FILE* file, WaveLayout& layout) {
  unsigned char header[12];
  if (std::fread(header, 1, sizeof header, file) != sizeof header ||
      std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
    return false;
  }
  layout = {0, -1, 0};
  bool formatSeen = false;
  unsigned char chunk[8];
  while (std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
    const uint32_t size = readLe32(chunk + 4);
    uint32_t consumed = 0;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !formatSeen) {
      unsigned char format[kExtensibleFormatSize] = {};
      consumed = size < sizeof format ? size : static_cast<uint32_t>(sizeof format);
      if (std::fread(format, 1, consumed, file) != consumed) {
        return false;
      }
      formatSeen = true;
      layout.frameBytes = frameBytesOf(format, size);
    } else if (std::memcmp(chunk, "data", 4) == 0 && layout.dataOffset < 0) {
      layout.dataOffset = std::ftell(file);
      layout.dataBytes = size;
    }
    if ((formatSeen && layout.dataOffset >= 0) || !skipChunk(file, size, consumed)) {
      break;
    }
  }
  return layout.frameBytes != 0 && layout.dataOffset >= 0;
}

static long bytesAfter(FILE* file, long offset) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return 0;
  }
  const long end = std::ftell(file);
  return end > offset && std::fseek(file, offset, SEEK_SET) == 0 ? end - offset : 0;
}

// Keeps the first channel of every whole frame read; returns the frames stored.
static int32_t readFirstChannel(FILE* file, int frameBytes, int32_t capacity) {
  unsigned char block[kReadBlock];
  const size_t framesPerBlock = kReadBlock / frameBytes;
  int32_t stored = 0;
  while (stored < capacity) {
    const size_t wanted = static_cast<size_t>(capacity - stored);
    const size_t got =
        std::fread(block, frameBytes, wanted < framesPerBlock ? wanted : framesPerBlock, file);
    for (size_t i = 0; i < got; ++i) {
      loopSample.leftSamples[stored++] = static_cast<int16_t>(readLe16(block + i * frameBytes));
    }
    if (got == 0) {
      break;
    }
  }
  return stored;
}

static void loadFrom(FILE* file) {
  WaveLayout layout;
  // A count with the top bit set is negative as the header's signed field: refused.
  if (!findWaveLayout(file, layout) || layout.dataBytes > kMaxDataBytes) {
    return;
  }
  // Never allocate for more frames than the file holds: a short file keeps what it has.
  const long available = bytesAfter(file, layout.dataOffset);
  const long wanted = static_cast<long>(layout.dataBytes);
  const int32_t capacity =
      static_cast<int32_t>((wanted < available ? wanted : available) / layout.frameBytes);
  if (capacity == 0) {
    return;
  }
  loopSample.leftSamples = new (std::nothrow) int32_t[capacity];
  if (loopSample.leftSamples == nullptr) {
    return;
  }
  loopSample.frameCount = readFirstChannel(file, layout.frameBytes, capacity);
}

void loadLoopSample(const char* path) {
  freeLoopSample();
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return;
  }
  loadFrom(file);
  std::fclose(file);
}

void freeLoopSample() {
  delete[] loopSample.leftSamples;
  loopSample = {0, nullptr};
}
