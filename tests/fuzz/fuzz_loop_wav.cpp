// The loop WAV: the input is the file. What the loader keeps must match an independent
// in-memory reading of the same bytes: RIFF chunks walked by their sizes (each padded to an
// even length), the first "fmt " chunk deciding whether the frames are 16-bit PCM mono or
// stereo, the first "data" chunk giving the frames, never more frames than the file holds,
// and each kept sample the first channel of its frame. The model checker's explanation of the
// file agrees with the loader: it names a problem exactly when nothing is kept.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/loop_sample.h"
#include "check/wave_layout.h"
#include "fuzz_support.h"

namespace {

constexpr uint32_t kMaxDataBytes = 64u << 20;  // the loader's refusal of absurd counts

uint16_t le16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1])
                                                                     << 8);
}

uint32_t le32(const std::string& bytes, size_t at) {
  return le16(bytes, at) | static_cast<uint32_t>(le16(bytes, at + 2)) << 16;
}

// Bytes per frame of a format record (zero-filled to 40 bytes), 0 when it is not 16-bit
// PCM with one or two channels.
int frameBytesOf(const std::string& format, uint32_t declaredSize) {
  static const char kPcmSubFormat[] =
      "\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
  if (declaredSize < 16) {
    return 0;
  }
  const uint16_t tag = le16(format, 0);
  const uint16_t channels = le16(format, 2);
  const uint16_t blockAlign = le16(format, 12);
  const uint16_t bits = le16(format, 14);
  const bool pcm = tag == 1 || (tag == 0xFFFE && declaredSize >= 40 &&
                                std::memcmp(format.data() + 24, kPcmSubFormat, 16) == 0);
  if (!pcm || bits != 16 || (channels != 1 && channels != 2) || blockAlign != 2 * channels) {
    return 0;
  }
  return blockAlign;
}

std::vector<int32_t> expectedSamples(const std::string& file) {
  if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0) {
    return {};
  }
  bool formatSeen = false;
  int frameBytes = 0;
  bool dataSeen = false;
  uint64_t dataOffset = 0;
  uint32_t dataBytes = 0;
  uint64_t at = 12;
  while (at + 8 <= file.size() && !(formatSeen && dataSeen)) {
    const uint32_t size = le32(file, at + 4);
    const uint64_t body = at + 8;
    if (file.compare(at, 4, "fmt ") == 0 && !formatSeen) {
      const uint64_t kept = size < 40 ? size : 40;
      if (body + kept > file.size()) {
        return {};  // the format record itself is cut short
      }
      std::string format = file.substr(body, kept);
      format.resize(40, '\0');
      formatSeen = true;
      frameBytes = frameBytesOf(format, size);
    } else if (file.compare(at, 4, "data") == 0 && !dataSeen) {
      dataSeen = true;
      dataOffset = body;
      dataBytes = size;
    }
    at = body + size + (size & 1);
  }
  if (frameBytes == 0 || !dataSeen || dataBytes > kMaxDataBytes) {
    return {};
  }
  const uint64_t available = file.size() > dataOffset ? file.size() - dataOffset : 0;
  const uint64_t frames = (dataBytes < available ? dataBytes : available) / frameBytes;
  std::vector<int32_t> samples;
  for (uint64_t k = 0; k < frames; ++k) {
    samples.push_back(static_cast<int16_t>(le16(file, dataOffset + k * frameBytes)));
  }
  return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratchFile("loop.wav", file);
  loadLoopSample(path.c_str());

  FUZZ_CHECK(loopSample.frameCount >= 0);
  FUZZ_CHECK((loopSample.frameCount == 0) == (loopSample.leftSamples == nullptr));
  const std::vector<int32_t> expected = expectedSamples(file);
  FUZZ_CHECK(static_cast<size_t>(loopSample.frameCount) == expected.size());
  FUZZ_CHECK(expected.empty() || std::memcmp(loopSample.leftSamples, expected.data(),
                                             expected.size() * sizeof expected[0]) == 0);
  const WaveFacts facts = readWaveFacts(path);
  FUZZ_CHECK(facts.problem.empty() == (loopSample.frameCount > 0));
  FUZZ_CHECK(facts.dataHeld <= facts.dataBytes);
  freeLoopSample();
  return 0;
}
