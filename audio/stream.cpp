#include "audio/stream.h"

#include <bit>
#include <cstring>

#include "app/sequence.h"
#include "audio/asio_driver.h"
#include "audio/asio_host.h"
#include "audio/loop_sample.h"

// LSB sample types are the machine's own byte order; MSB types are swapped.
static_assert(std::endian::native == std::endian::little);

constexpr int32_t kOutputTestStep = 5;  // step 6: the pair under test plays
constexpr int32_t kInputTestStep = 6;   // step 7: outputs 0 and 1 play
constexpr int32_t kFloatFullScale = 65536;

int32_t loopPosition = 0;

template <typename Word>
static Word byteSwap(Word value) {
  Word swapped = 0;
  for (size_t i = 0; i < sizeof(Word); ++i) {
    swapped = static_cast<Word>(swapped << 8 | (value & 0xFF));
    value = static_cast<Word>(value >> 8);
  }
  return swapped;
}

template <typename Word, bool kBigEndian>
static Word loadWord(const unsigned char* p) {
  Word value;
  std::memcpy(&value, p, sizeof value);
  return kBigEndian ? byteSwap(value) : value;
}

template <typename Word, bool kBigEndian>
static void storeWord(unsigned char* p, Word value) {
  if (kBigEndian) {
    value = byteSwap(value);
  }
  std::memcpy(p, &value, sizeof value);
}

// One codec per encoding and byte order: its width, how a sample is read for the peak,
// how the peak becomes a meter level, and how a loop sample s (16-bit range) is written.
template <bool kBigEndian>
struct Int16Codec {
  using Value = int32_t;
  static constexpr int32_t kWidth = 2;
  static Value load(const unsigned char* p) {
    return static_cast<int16_t>(loadWord<uint16_t, kBigEndian>(p));
  }
  static int32_t level(Value peak) { return peak; }
  static void store(unsigned char* p, int32_t s) {
    storeWord<uint16_t, kBigEndian>(p, static_cast<uint16_t>(s));
  }
};

template <bool kBigEndian>
struct Int24Codec {
  using Value = int32_t;
  static constexpr int32_t kWidth = 3;
  static Value load(const unsigned char* p) {
    const uint32_t bits = kBigEndian ? (p[0] << 16 | p[1] << 8 | p[2])  //
                                     : (p[0] | p[1] << 8 | p[2] << 16);
    return static_cast<int32_t>(bits << 8) >> 8;  // sign-extends bit 23
  }
  static int32_t level(Value peak) { return peak / 256; }
  static void store(unsigned char* p, int32_t s) {
    const unsigned char bytes[3] = {0, static_cast<unsigned char>(s),
                                    static_cast<unsigned char>(s >> 8)};
    for (int i = 0; i < 3; ++i) {
      p[i] = bytes[kBigEndian ? 2 - i : i];
    }
  }
};

// Also the 32-bit containers of 16..24 significant bits: the sample stands in the upper
// 16 bits, which every container width carries.
template <bool kBigEndian>
struct Int32Codec {
  using Value = int32_t;
  static constexpr int32_t kWidth = 4;
  static Value load(const unsigned char* p) {
    return static_cast<int32_t>(loadWord<uint32_t, kBigEndian>(p));
  }
  static int32_t level(Value peak) { return peak / 65536; }
  static void store(unsigned char* p, int32_t s) {
    storeWord<uint32_t, kBigEndian>(p, static_cast<uint32_t>(s) << 16);
  }
};

// Floats are written at 2^-16 per step so that a float loopback reads back the 16-bit
// value; full scale 1.0 is 65536 on the meter, and anything above is clipped there.
template <typename Float, typename Word, bool kBigEndian>
struct FloatCodec {
  using Value = Float;
  static constexpr int32_t kWidth = sizeof(Float);
  static Value load(const unsigned char* p) {
    return std::bit_cast<Float>(loadWord<Word, kBigEndian>(p));
  }
  static int32_t level(Value peak) {
    return peak >= 1 ? kFloatFullScale : static_cast<int32_t>(peak * kFloatFullScale);
  }
  static void store(unsigned char* p, int32_t s) {
    storeWord<Word, kBigEndian>(p, std::bit_cast<Word>(static_cast<Float>(s) / kFloatFullScale));
  }
};

// Calls body with the codec of type; a type with no codec gives unsupported.
template <typename Body>
static int32_t withCodec(ASIOSampleType type, int32_t unsupported, Body body) {
  switch (type) {
    case ASIOSTInt16LSB:
      return body(Int16Codec<false>());
    case ASIOSTInt16MSB:
      return body(Int16Codec<true>());
    case ASIOSTInt24LSB:
      return body(Int24Codec<false>());
    case ASIOSTInt24MSB:
      return body(Int24Codec<true>());
    case ASIOSTInt32LSB:
    case ASIOSTInt32LSB16:
    case ASIOSTInt32LSB18:
    case ASIOSTInt32LSB20:
    case ASIOSTInt32LSB24:
      return body(Int32Codec<false>());
    case ASIOSTInt32MSB:
    case ASIOSTInt32MSB16:
    case ASIOSTInt32MSB18:
    case ASIOSTInt32MSB20:
    case ASIOSTInt32MSB24:
      return body(Int32Codec<true>());
    case ASIOSTFloat32LSB:
      return body(FloatCodec<float, uint32_t, false>());
    case ASIOSTFloat32MSB:
      return body(FloatCodec<float, uint32_t, true>());
    case ASIOSTFloat64LSB:
      return body(FloatCodec<double, uint64_t, false>());
    case ASIOSTFloat64MSB:
      return body(FloatCodec<double, uint64_t, true>());
    default:
      return unsupported;
  }
}

int32_t bytesPerSample(ASIOSampleType type) {
  return withCodec(type, 2, [](auto codec) { return decltype(codec)::kWidth; });
}

template <typename Codec>
static int32_t peakOf(const unsigned char* samples, int32_t frames) {
  // The largest value, not magnitude: negative samples never count. A NaN compares false
  // and so never becomes the maximum.
  typename Codec::Value peak = 0;
  for (int32_t i = 0; i < frames; ++i) {
    const typename Codec::Value value = Codec::load(samples + i * Codec::kWidth);
    peak = value > peak ? value : peak;
  }
  return Codec::level(peak);
}

int32_t inputPeak(ASIOSampleType type, const void* buffer, int32_t frames) {
  const auto* samples = static_cast<const unsigned char*>(buffer);
  return withCodec(type, 0, [&](auto codec) { return peakOf<decltype(codec)>(samples, frames); });
}

template <typename Codec>
static int32_t encodeLoop(unsigned char* out, int32_t frames, int32_t position) {
  const int32_t* samples = loopSample.leftSamples;
  const int32_t count = loopSample.frameCount;
  if (position >= count) {
    position = 0;
  }
  for (int32_t i = 0; i < frames; ++i) {
    Codec::store(out + i * Codec::kWidth, samples[position]);
    if (++position == count) {
      position = 0;
    }
  }
  return position;
}

// Writes the loop from position on; returns the position after the last frame written.
static int32_t playLoop(ASIOSampleType type, void* buffer, int32_t frames, int32_t position) {
  auto* out = static_cast<unsigned char*>(buffer);
  const int32_t next = loopSample.frameCount <= 0 || loopSample.leftSamples == nullptr
                           ? -1
                           : withCodec(type, -1, [&](auto codec) {
                               return encodeLoop<decltype(codec)>(out, frames, position);
                             });
  if (next < 0) {
    std::memset(out, 0, static_cast<size_t>(bytesPerSample(type)) * frames);
    return position;
  }
  return next;
}

void fillFromLoop(ASIOSampleType type, void* buffer, int32_t frames) {
  loopPosition = playLoop(type, buffer, frames, loopPosition);
}

static bool isOutputActive(int32_t step, int32_t pair, int32_t output) {
  if (step == kOutputTestStep) {
    return output / 2 == pair;
  }
  return step == kInputTestStep && output < 2;
}

static void measureInputs(int32_t index, int32_t frames, int32_t inputs) {
  for (int32_t i = 0; i < inputs; ++i) {
    const int32_t peak =
        inputPeak(asioHost.channelInfos[i].type, asioHost.bufferInfos[i].buffers[index], frames);
    Shared<int32_t>& level = asioFacts.inputLevels[i];
    if (peak > level.get()) {
      level.set(peak);
    }
  }
}

static void fillOutputs(int32_t index, int32_t frames, int32_t inputs, int32_t outputs) {
  // One reading of the position per buffer keeps a pair together: the odd output always
  // plays with its even partner.
  const int32_t step = currentStep.get();
  const int32_t pair = currentPair.get();
  const void* evenBuffer = nullptr;
  ASIOSampleType evenType = 0;
  int32_t evenStart = 0;
  for (int32_t j = 0; j < outputs; ++j) {
    const ASIOSampleType type = asioHost.channelInfos[inputs + j].type;
    void* half = asioHost.bufferInfos[inputs + j].buffers[index];
    const size_t bytes = static_cast<size_t>(bytesPerSample(type)) * frames;
    if (!isOutputActive(step, pair, j)) {
      std::memset(half, 0, bytes);
    } else if (j % 2 == 0) {
      evenBuffer = half;
      evenType = type;
      evenStart = loopPosition;
      fillFromLoop(type, half, frames);
    } else if (type == evenType) {
      std::memcpy(half, evenBuffer, bytes);
    } else {
      playLoop(type, half, frames, evenStart);  // same signal, another encoding
    }
  }
}

ASIOTime* bufferSwitchTimeInfo(ASIOTime*, int32_t index, ASIOBool) {
  const int32_t half = index & 1;
  const int32_t frames = asioHost.preferredBufferSize;
  const int32_t inputs = asioFacts.inputCount.get();
  measureInputs(half, frames, inputs);
  fillOutputs(half, frames, inputs, asioFacts.outputCount.get());
  return nullptr;
}

void bufferSwitch(int32_t index, ASIOBool directProcess) {
  ASIOTime time = {};
  IASIO* driver = asioHost.driver.get();
  if (driver != nullptr && driver->getSamplePosition(&time.timeInfo.samplePosition,
                                                     &time.timeInfo.systemTime) == ASE_OK) {
    time.timeInfo.flags = kSystemTimeValid | kSamplePositionValid;
  }
  bufferSwitchTimeInfo(&time, index, directProcess);
}

int32_t asioMessage(int32_t selector, int32_t value, void*, double*) {
  switch (selector) {
    case kAsioSelectorSupported:
      return value == kAsioEngineVersion || value == kAsioResetRequest ||
                     value == kAsioResyncRequest || value == kAsioLatenciesChanged ||
                     value == kAsioSupportsTimeInfo || value == kAsioSupportsTimeCode ||
                     value == kAsioMMCCommand
                 ? 1
                 : 0;
    case kAsioEngineVersion:
      return 2;
    case kAsioResetRequest:
    case kAsioResyncRequest:
    case kAsioLatenciesChanged:
    case kAsioSupportsTimeInfo:
      return 1;
    default:
      return 0;
  }
}

// The program keeps running at the rate it asked for; a change made in the driver's own
// panel takes effect when the panel command reopens the driver.
void sampleRateDidChange(ASIOSampleRate) {}
