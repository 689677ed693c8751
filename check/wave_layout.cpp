#include "check/wave_layout.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

static uint32_t le16(const unsigned char* p) {
  return p[0] | p[1] << 8;
}

static uint32_t le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

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

WaveFacts readWaveFacts(const std::string& path) {
  WaveFacts facts;
  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> d((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
      std::memcmp(d.data() + 8, "WAVE", 4) != 0) {
    facts.problem = "it is not a RIFF WAVE file";
    return facts;
  }
  bool format = false, data = false;
  uint32_t tag = 0, channels = 0, bits = 0, dataBytes = 0;
  for (size_t at = 12; at + 8 <= d.size();) {
    const uint32_t size = le32(&d[at + 4]);
    if (std::memcmp(&d[at], "fmt ", 4) == 0 && !format && at + 8 + 16 <= d.size()) {
      format = true;
      tag = le16(&d[at + 8]);
      channels = le16(&d[at + 10]);
      facts.sampleRate = le32(&d[at + 12]);
      bits = le16(&d[at + 22]);
    } else if (std::memcmp(&d[at], "data", 4) == 0 && !data) {
      data = true;
      dataBytes = size;
      facts.dataBytes = size;
      facts.dataHeld = std::min<size_t>(size, d.size() - (at + 8));
    }
    at += 8 + static_cast<size_t>(size) + (size & 1);
  }
  if (!format) {
    facts.problem = "it has no \"fmt \" chunk";
  } else if (!((tag == 1 || tag == 0xFFFE) && bits == 16 && (channels == 1 || channels == 2))) {
    facts.problem = "it holds " + std::to_string(bits) + "-bit " + formatName(tag) + " with " +
                    std::to_string(channels) +
                    " channels; the station plays 16-bit PCM, mono or stereo";
  } else if (!data) {
    facts.problem = "it has no \"data\" chunk";
  } else if (dataBytes == 0) {
    facts.problem = "its data chunk is empty";
  } else {
    facts.problem = "the station's loader finds no samples in it";
  }
  return facts;
}
