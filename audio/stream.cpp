#include "audio/stream.h"

#include <bit>
#include <cstring>
#include <limits>
#include <type_traits>

#include "audio/asio_host.h"
#include "audio/loop_sample.h"
#include "base/run_position.h"
#include "base/steps.h"

// LSB sample types are the machine's own byte order; MSB types are swapped.
static_assert(std::endian::native == std::endian::little);

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
  static constexpr bool kHasNaN = false;
  using Value = int16_t;
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
  static constexpr bool kHasNaN = false;
  using Value = int32_t;
  static constexpr int32_t kWidth = 3;
  static Value load(const unsigned char* p) {
    const uint32_t high = kBigEndian ? p[0] : p[2];
    const uint32_t low = kBigEndian ? p[2] : p[0];
    const uint32_t bits = high << 16 | p[1] << 8 | low;
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
// 16 bits, which every container width carries. Only those bits reach the meter (the value
// divided by 65536), so the peak is taken over them alone: the shift keeps the order, and
// 16-bit maxima are cheaper.
template <bool kBigEndian>
struct Int32Codec {
  static constexpr bool kHasNaN = false;
  using Value = int16_t;
  static constexpr int32_t kWidth = 4;
  static Value load(const unsigned char* p) {
    return static_cast<int16_t>(static_cast<int32_t>(loadWord<uint32_t, kBigEndian>(p)) >> 16);
  }
  static int32_t level(Value peak) { return peak; }
  static void store(unsigned char* p, int32_t s) {
    storeWord<uint32_t, kBigEndian>(p, static_cast<uint32_t>(s) << 16);
  }
};

// Floats are written at 2^-16 per step so that a float loopback reads back the 16-bit
// value; full scale 1.0 is 65536 on the meter, and anything above is clipped there.
// The peak is found on the bit patterns: as signed integers, positive floats order as
// their values do and negative ones fall below 0. Integer maxima vectorise where float
// compares do not. A NaN's pattern lies above infinity's; it must never be the peak.
template <typename Float, typename Bits, bool kBigEndian>
struct FloatCodec {
  static constexpr bool kHasNaN = true;
  using Word = std::make_unsigned_t<Bits>;
  using Value = Bits;
  static constexpr int32_t kWidth = sizeof(Float);
  static constexpr Bits kInfinity = std::bit_cast<Bits>(std::numeric_limits<Float>::infinity());
  static Value load(const unsigned char* p) {
    return static_cast<Bits>(loadWord<Word, kBigEndian>(p));
  }
  static Value loadNumber(const unsigned char* p) {
    const Bits bits = load(p);
    return bits > kInfinity ? 0 : bits;
  }
  static int32_t level(Value peak) {
    const Float value = std::bit_cast<Float>(peak);
    return value >= 1 ? kFloatFullScale : static_cast<int32_t>(value * kFloatFullScale);
  }
  static void store(unsigned char* p, int32_t s) {
    storeWord<Word, kBigEndian>(p, std::bit_cast<Word>(static_cast<Float>(s) / kFloatFullScale));
  }
};

template <typename Value>
static Value larger(Value a, Value b) {
  return b > a ? b : a;
}

// The largest value, not magnitude, starting from 0: negative samples never count. Several
// running maxima, merged at the end, keep the loop from waiting on one chain of compares.
template <typename Codec, typename Load>
static typename Codec::Value largestOf(const unsigned char* samples, int32_t frames, Load load) {
  constexpr int32_t kLanes = 16;
  using Value = typename Codec::Value;
  Value lanes[kLanes] = {};
  int32_t i = 0;
  for (; i + kLanes <= frames; i += kLanes) {
    for (int32_t k = 0; k < kLanes; ++k) {
      lanes[k] = larger(lanes[k], load(samples + (i + k) * Codec::kWidth));
    }
  }
  for (; i < frames; ++i) {
    lanes[0] = larger(lanes[0], load(samples + i * Codec::kWidth));
  }
  Value peak = 0;
  for (const Value lane : lanes) {
    peak = larger(peak, lane);
  }
  return peak;
}

template <typename Codec>
static int32_t peakOf(const unsigned char* samples, int32_t frames) {
  typename Codec::Value peak = largestOf<Codec>(samples, frames, Codec::load);
  if constexpr (Codec::kHasNaN) {
    // NaNs are rare: they are filtered out only when the plain maximum is one.
    if (peak > Codec::kInfinity) {
      peak = largestOf<Codec>(samples, frames, Codec::loadNumber);
    }
  }
  return Codec::level(peak);
}

// Writes frames of the loop from position on; returns the position after them.
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

// What the handlers do with one sample type, chosen once per channel and buffer.
struct SampleCodec {
  int32_t width;
  int32_t (*peak)(const unsigned char* samples, int32_t frames);
  int32_t (*encode)(unsigned char* out, int32_t frames, int32_t position);
};

template <typename Codec>
constexpr SampleCodec kCodec = {Codec::kWidth, peakOf<Codec>, encodeLoop<Codec>};

// Null for the types the handlers do not encode or measure.
static const SampleCodec* codecOf(ASIOSampleType type) {
  switch (type) {
    case ASIOSTInt16LSB:
      return &kCodec<Int16Codec<false>>;
    case ASIOSTInt16MSB:
      return &kCodec<Int16Codec<true>>;
    case ASIOSTInt24LSB:
      return &kCodec<Int24Codec<false>>;
    case ASIOSTInt24MSB:
      return &kCodec<Int24Codec<true>>;
    case ASIOSTInt32LSB:
    case ASIOSTInt32LSB16:
    case ASIOSTInt32LSB18:
    case ASIOSTInt32LSB20:
    case ASIOSTInt32LSB24:
      return &kCodec<Int32Codec<false>>;
    case ASIOSTInt32MSB:
    case ASIOSTInt32MSB16:
    case ASIOSTInt32MSB18:
    case ASIOSTInt32MSB20:
    case ASIOSTInt32MSB24:
      return &kCodec<Int32Codec<true>>;
    case ASIOSTFloat32LSB:
      return &kCodec<FloatCodec<float, int32_t, false>>;
    case ASIOSTFloat32MSB:
      return &kCodec<FloatCodec<float, int32_t, true>>;
    case ASIOSTFloat64LSB:
      return &kCodec<FloatCodec<double, int64_t, false>>;
    case ASIOSTFloat64MSB:
      return &kCodec<FloatCodec<double, int64_t, true>>;
    default:
      return nullptr;
  }
}

int32_t bytesPerSample(ASIOSampleType type) {
  const SampleCodec* codec = codecOf(type);
  return codec != nullptr ? codec->width : 2;
}

// Bytes in one half-buffer of a channel. The one-bit and eight-bit DSD types hold fewer
// bytes than two per frame: clearing them as two-byte samples would write past the driver's
// buffer.
static size_t halfBufferBytes(ASIOSampleType type, int32_t frames) {
  if (type == ASIOSTDSDInt8LSB1 || type == ASIOSTDSDInt8MSB1) {
    return static_cast<size_t>(frames) / 8;
  }
  if (type == ASIOSTDSDInt8NER8) {
    return static_cast<size_t>(frames);
  }
  return static_cast<size_t>(bytesPerSample(type)) * frames;
}

int32_t inputPeak(ASIOSampleType type, const void* buffer, int32_t frames) {
  const SampleCodec* codec = codecOf(type);
  return codec != nullptr ? codec->peak(static_cast<const unsigned char*>(buffer), frames) : 0;
}

// The loop from position on, or silence when there is no loop or the type is not encoded;
// returns the position after the frames written.
static int32_t playLoop(ASIOSampleType type, void* buffer, int32_t frames, int32_t position) {
  auto* out = static_cast<unsigned char*>(buffer);
  const SampleCodec* codec = codecOf(type);
  if (codec == nullptr || loopSample.frameCount <= 0 || loopSample.leftSamples == nullptr) {
    std::memset(out, 0, halfBufferBytes(type, frames));
    return position;
  }
  return codec->encode(out, frames, position);
}

void fillFromLoop(ASIOSampleType type, void* buffer, int32_t frames) {
  loopPosition = playLoop(type, buffer, frames, loopPosition);
}

// The output test plays the pair under test; the input test plays outputs 0 and 1.
static bool isOutputActive(int32_t step, int32_t pair, int32_t output) {
  if (step == kStepAudioOut) {
    return output / 2 == pair;
  }
  return step == kStepAudioIn && output < 2;
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
    const size_t bytes = halfBufferBytes(type, frames);
    if (!isOutputActive(step, pair, j)) {
      std::memset(half, 0, bytes);
    } else if (j % 2 == 0) {
      evenBuffer = half;
      evenType = type;
      evenStart = loopPosition;
      fillFromLoop(type, half, frames);
    } else if (type == evenType) {
      std::memcpy(half, evenBuffer, bytes);
    } else if (codecOf(evenType) == nullptr) {
      // The even output played silence and left the position where it was: encoding from
      // there would replay the same frames at every switch, a buzz.
      std::memset(half, 0, bytes);
    } else {
      playLoop(type, half, frames, evenStart);  // same signal, another encoding
    }
  }
}

ASIOTime* ASIO_CDECL bufferSwitchTimeInfo(ASIOTime*, int32_t index, ASIOBool) {
  const int32_t half = index & 1;
  const int32_t frames = asioHost.preferredBufferSize;
  const int32_t inputs = asioFacts.inputCount.get();
  measureInputs(half, frames, inputs);
  fillOutputs(half, frames, inputs, asioFacts.outputCount.get());
  return nullptr;
}

void ASIO_CDECL bufferSwitch(int32_t index, ASIOBool directProcess) {
  ASIOTime time = {};
  IASIO* driver = asioHost.driver.get();
  if (driver != nullptr && driver->getSamplePosition(&time.timeInfo.samplePosition,
                                                     &time.timeInfo.systemTime) == ASE_OK) {
    time.timeInfo.flags = kSystemTimeValid | kSamplePositionValid;
  }
  bufferSwitchTimeInfo(&time, index, directProcess);
}

int32_t ASIO_CDECL asioMessage(int32_t selector, int32_t value, void*, double*) {
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
void ASIO_CDECL sampleRateDidChange(ASIOSampleRate) {}

void rewindLoop() {
  loopPosition = 0;
}
