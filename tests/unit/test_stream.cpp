// The stream handlers: sample encodings written and measured, the loop's wrap, which
// outputs play in which step, and the answers to the driver's messages.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "audio/stream.h"
#include "audio_fixture.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

struct Encoding {
  ASIOSampleType type;
  Bytes frames;  // the loop {0x1234, -2} as written
};

const Encoding kEncodings[] = {
    {ASIOSTInt16LSB, {0x34, 0x12, 0xFE, 0xFF}},
    {ASIOSTInt16MSB, {0x12, 0x34, 0xFF, 0xFE}},
    {ASIOSTInt24LSB, {0x00, 0x34, 0x12, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt24MSB, {0x12, 0x34, 0x00, 0xFF, 0xFE, 0x00}},
    {ASIOSTInt32LSB, {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt32LSB16, {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt32LSB18, {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt32LSB20, {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt32LSB24, {0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0xFE, 0xFF}},
    {ASIOSTInt32MSB, {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00}},
    {ASIOSTInt32MSB16, {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00}},
    {ASIOSTInt32MSB18, {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00}},
    {ASIOSTInt32MSB20, {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00}},
    {ASIOSTInt32MSB24, {0x12, 0x34, 0x00, 0x00, 0xFF, 0xFE, 0x00, 0x00}},
    {ASIOSTFloat32LSB, {0x00, 0xA0, 0x91, 0x3D, 0x00, 0x00, 0x00, 0xB8}},
    {ASIOSTFloat32MSB, {0x3D, 0x91, 0xA0, 0x00, 0xB8, 0x00, 0x00, 0x00}},
    {ASIOSTFloat64LSB,
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x34, 0xB2, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0xBF}},
    {ASIOSTFloat64MSB,
     {0x3F, 0xB2, 0x34, 0x00, 0x00, 0x00, 0x00, 0x00, 0xBF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00}},
};

TEST_F(AudioTest, FillWritesEverySampleTypeInItsByteOrder) {
  setLoop({0x1234, -2});
  for (const Encoding& e : kEncodings) {
    Bytes out(e.frames.size() + 1, 0xEE);
    loopPosition = 0;
    fillFromLoop(e.type, out.data(), 2);
    EXPECT_EQ(Bytes(out.begin(), out.end() - 1), e.frames) << "type " << e.type;
    EXPECT_EQ(out.back(), 0xEE) << "type " << e.type << " wrote past its frames";
    EXPECT_EQ(bytesPerSample(e.type), static_cast<int32_t>(e.frames.size() / 2));
    EXPECT_EQ(loopPosition, 0);  // two frames of a two-frame loop: wrapped
  }
}

TEST_F(AudioTest, EveryEncodingReadsBackAsTheLoopLevel) {
  setLoop({100, -32768, 32767, 5000, -1});
  for (const Encoding& e : kEncodings) {
    Bytes out(5 * e.frames.size() / 2);
    loopPosition = 0;
    fillFromLoop(e.type, out.data(), 5);
    const size_t width = e.frames.size() / 2;
    EXPECT_EQ(inputPeak(e.type, out.data(), 5), 32767) << "type " << e.type;
    // Negative samples never count, however large.
    EXPECT_EQ(inputPeak(e.type, out.data() + width, 1), 0) << "type " << e.type;
    EXPECT_EQ(inputPeak(e.type, out.data() + 3 * width, 1), 5000) << "type " << e.type;
  }
}

TEST_F(AudioTest, UnencodedTypesAndMissingLoopPlaySilence) {
  setLoop({1, 2, 3});
  // Silence fills exactly the channel's half-buffer: two bytes a frame for a type nobody
  // knows, one for eight-bit DSD, one per eight frames for one-bit DSD.
  const struct {
    ASIOSampleType type;
    size_t bytes;
  } kUnencoded[] = {
      {99, 32}, {ASIOSTDSDInt8NER8, 16}, {ASIOSTDSDInt8LSB1, 2}, {ASIOSTDSDInt8MSB1, 2}};
  for (const auto& u : kUnencoded) {
    Bytes out(40, 0xEE);
    loopPosition = 1;
    fillFromLoop(u.type, out.data(), 16);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + u.bytes), Bytes(u.bytes, 0)) << u.type;
    EXPECT_EQ(out[u.bytes], 0xEE) << "type " << u.type << " wrote past its half-buffer";
    EXPECT_EQ(loopPosition, 1);
    EXPECT_EQ(inputPeak(u.type, out.data(), 16), 0);
  }
  EXPECT_EQ(bytesPerSample(ASIOSTDSDInt8LSB1), 2);

  freeLoopSample();
  Bytes wide(32, 0xEE);
  fillFromLoop(ASIOSTInt32LSB, wide.data(), 8);
  EXPECT_EQ(wide, Bytes(32, 0));
  EXPECT_EQ(loopPosition, 1);
  fillFromLoop(ASIOSTInt32LSB, wide.data(), 0);  // frame count 0 writes nothing
}

TEST_F(AudioTest, IntegerPeaksUseTheLargestValueOnTheSixteenBitScale) {
  const int16_t mixed[] = {-30000, 500, -1, 499};
  EXPECT_EQ(inputPeak(ASIOSTInt16LSB, mixed, 4), 500);
  const int16_t negative[] = {-5, -32768, -1};
  EXPECT_EQ(inputPeak(ASIOSTInt16LSB, negative, 3), 0);
  const unsigned char msb16[] = {0x01, 0xF4, 0xFF, 0xFF};
  EXPECT_EQ(inputPeak(ASIOSTInt16MSB, msb16, 2), 500);

  const unsigned char int24[] = {0x00, 0x80, 0x00};  // 32768
  EXPECT_EQ(inputPeak(ASIOSTInt24LSB, int24, 1), 128);
  // 0x800000 is the most negative 24-bit value, not 8388608: sign-extended, it never counts.
  const unsigned char int24Negative[] = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x00};
  EXPECT_EQ(inputPeak(ASIOSTInt24LSB, int24Negative, 3), 1);
  const unsigned char int24Msb[] = {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00};
  EXPECT_EQ(inputPeak(ASIOSTInt24MSB, int24Msb, 2), 32767);

  const int32_t int32[] = {std::numeric_limits<int32_t>::max(), -7};
  EXPECT_EQ(inputPeak(ASIOSTInt32LSB, int32, 2), 32767);
  EXPECT_EQ(inputPeak(ASIOSTInt32LSB24, int32, 2), 32767);
  const unsigned char int32Msb[] = {0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(inputPeak(ASIOSTInt32MSB, int32Msb, 2), 1);
}

TEST_F(AudioTest, FloatPeaksIgnoreNaNAndStopAtFullScale) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float withNaN[] = {nan, 0.25f, nan};
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, withNaN, 3), 16384);
  const float onlyNaN[] = {nan, nan};
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, onlyNaN, 2), 0);
  const float fullScale[] = {-3.0f, 1.0f};
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, fullScale, 2), 65536);  // above the 16-bit scale
  const float clipped[] = {4.0e9f, std::numeric_limits<float>::infinity()};
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, clipped, 2), 65536);

  std::vector<float> floats(40, 0.125f);  // long enough for every lane of the scan
  floats[17] = nan;
  floats[3] = -nan;
  floats[30] = 0.5f;
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, floats.data(), 40), 32768);
  floats[17] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(inputPeak(ASIOSTFloat32LSB, floats.data(), 40), 65536);

  const double doubles[] = {std::nan(""), 0.5, -2.0};
  EXPECT_EQ(inputPeak(ASIOSTFloat64LSB, doubles, 3), 32768);
  const unsigned char float32Msb[] = {0x3E, 0x80, 0x00, 0x00};  // 0.25
  EXPECT_EQ(inputPeak(ASIOSTFloat32MSB, float32Msb, 1), 16384);
  const unsigned char float64Msb[] = {0x3F, 0xF0, 0, 0, 0, 0, 0, 0};  // 1.0
  EXPECT_EQ(inputPeak(ASIOSTFloat64MSB, float64Msb, 1), 65536);
}

TEST_F(AudioTest, TheLoopWrapsAndRunsOnAcrossBuffers) {
  std::vector<int32_t> ramp(1000);
  for (int i = 0; i < 1000; ++i) {
    ramp[i] = i;
  }
  setLoop(ramp);
  int16_t out[256];
  for (int buffer = 0; buffer < 3; ++buffer) {
    fillFromLoop(ASIOSTInt16LSB, out, 256);
  }
  fillFromLoop(ASIOSTInt16LSB, out, 256);
  for (int i = 0; i < 232; ++i) {
    ASSERT_EQ(out[i], 768 + i);
  }
  for (int i = 232; i < 256; ++i) {
    ASSERT_EQ(out[i], i - 232);
  }
  EXPECT_EQ(loopPosition, 24);
}

// Which outputs carry the loop (1, 2, 3, ...) and which are silent, after one switch.
class OutputSelectionTest : public AudioTest {
 protected:
  std::vector<int> playing(int32_t inputs, int32_t outputs, int32_t step, int32_t pair) {
    stream(inputs, outputs, 4, ASIOSTInt16LSB);
    currentStep.set(step);
    currentPair.set(pair);
    loopPosition = 0;
    bufferSwitchTimeInfo(nullptr, 1, 1);
    std::vector<int> result;
    for (int j = 0; j < outputs; ++j) {
      const int16_t* half = reinterpret_cast<const int16_t*>(buffer(inputs + j, 1));
      const bool loop = half[0] == 1 && half[1] == 2 && half[2] == 3 && half[3] == 1;
      const bool silent = half[0] == 0 && half[1] == 0 && half[2] == 0 && half[3] == 0;
      result.push_back(loop ? 1 : silent ? 0 : -1);
    }
    return result;
  }
  void SetUp() override {
    AudioTest::SetUp();
    setLoop({1, 2, 3});
  }
};

TEST_F(OutputSelectionTest, OutputTestPlaysThePairUnderTest) {
  EXPECT_EQ(playing(2, 6, kStepAudioOut, 1), (std::vector<int>{0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(loopPosition, 1);  // 4 frames of a 3-frame loop: one advance, shared by the pair
  // An odd count leaves one output out; a pair beyond the last plays nothing.
  EXPECT_EQ(playing(2, 5, kStepAudioOut, 2), (std::vector<int>{0, 0, 0, 0, 1}));
  EXPECT_EQ(playing(2, 5, kStepAudioOut, 3), (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(loopPosition, 0);
}

TEST_F(OutputSelectionTest, InputTestPlaysTheFirstTwoOutputs) {
  EXPECT_EQ(playing(2, 4, kStepAudioIn, 1), (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(playing(2, 1, kStepAudioIn, 0), (std::vector<int>{1}));
}

TEST_F(OutputSelectionTest, OtherStepsSilenceEveryOutput) {
  for (int32_t step : {kStepOpening, kStepNoteTest, kStepNoteRxTest, kStepClosing, kFinishedStep}) {
    EXPECT_EQ(playing(2, 4, step, 0), (std::vector<int>{0, 0, 0, 0})) << "step " << step;
  }
}

TEST_F(AudioTest, LevelsOnlyRiseAndAreMeasuredInEveryStep) {
  stream(3, 2, 4, ASIOSTInt16LSB);
  currentStep.set(kStepNoteTest);
  const int16_t loud[] = {0, 20000, 0, 0};
  const int16_t quiet[] = {0, 300, 0, 0};
  std::memcpy(buffer(0, 0), loud, sizeof loud);
  std::memcpy(buffer(1, 0), quiet, sizeof quiet);
  std::memset(buffer(2, 0), 0, 8);
  asioFacts.inputLevels[1].set(1000);
  bufferSwitchTimeInfo(nullptr, 0, 0);
  EXPECT_EQ(asioFacts.inputLevels[0].get(), 20000);
  EXPECT_EQ(asioFacts.inputLevels[1].get(), 1000);
  EXPECT_EQ(asioFacts.inputLevels[2].get(), 0);
}

TEST_F(AudioTest, PartnersOfDifferentTypesPlayTheSameFrames) {
  stream(0, 2, 3, ASIOSTInt16LSB);
  asioHost.channelInfos[1].type = ASIOSTInt32LSB;  // wider than its partner
  setLoop({10, 20, 30, 40});
  currentStep.set(kStepAudioOut);
  bufferSwitchTimeInfo(nullptr, 0, 0);
  const int16_t* even = reinterpret_cast<const int16_t*>(buffer(0));
  const int32_t* odd = reinterpret_cast<const int32_t*>(buffer(1));
  EXPECT_EQ(even[0], 10);
  EXPECT_EQ(even[2], 30);
  EXPECT_EQ(odd[0], 10 << 16);
  EXPECT_EQ(odd[2], 30 << 16);
  EXPECT_EQ(buffer(1)[12], 0xEE);  // 3 frames of 4 bytes, nothing beyond
  EXPECT_EQ(loopPosition, 3);
}

TEST_F(AudioTest, PartnerOfAnUnencodedOutputIsSilentToo) {
  stream(0, 2, 3, ASIOSTInt16LSB);
  asioHost.channelInfos[0].type = ASIOSTDSDInt8NER8;  // no codec: the even output is silent
  setLoop({10, 20, 30, 40});
  currentStep.set(kStepAudioOut);
  for (int32_t index : {0, 1, 0}) {
    bufferSwitchTimeInfo(nullptr, index, 0);
    EXPECT_EQ(Bytes(buffer(1, index), buffer(1, index) + 6), Bytes(6, 0)) << "switch " << index;
    EXPECT_EQ(buffer(1, index)[6], 0xEE);
  }
  EXPECT_EQ(loopPosition, 0);
}

TEST_F(AudioTest, BufferSwitchAsksTheDriverForTheTimeAndProcesses) {
  setLoop({5, 6});
  stream(1, 2, 2, ASIOSTInt16LSB);
  currentStep.set(kStepAudioIn);
  for (ASIOError position : {ASE_OK, ASE_NotPresent}) {
    driver.positionResult = position;
    driver.calls.clear();
    bufferSwitch(1, 0);
    EXPECT_EQ(driver.count("getSamplePosition"), 1);
    const int16_t* out = reinterpret_cast<const int16_t*>(buffer(1, 1));
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], 6);
  }
}

TEST(AsioMessage, AnswersBySelectorAndValue) {
  EXPECT_EQ(asioMessage(kAsioSelectorSupported, kAsioSupportsTimeCode, nullptr, nullptr), 1);
  EXPECT_EQ(asioMessage(kAsioSupportsTimeCode, 0, nullptr, nullptr), 0);
  EXPECT_EQ(asioMessage(kAsioSelectorSupported, kAsioBufferSizeChange, nullptr, nullptr), 0);
  EXPECT_EQ(asioMessage(kAsioSelectorSupported, 42, nullptr, nullptr), 0);
  for (int32_t value : {2, 3, 5, 6, 7, 9}) {
    EXPECT_EQ(asioMessage(kAsioSelectorSupported, value, nullptr, nullptr), 1) << value;
  }
  EXPECT_EQ(asioMessage(kAsioEngineVersion, 0, nullptr, nullptr), 2);
  EXPECT_EQ(asioMessage(kAsioResetRequest, 0, nullptr, nullptr), 1);
  EXPECT_EQ(asioMessage(kAsioBufferSizeChange, 512, nullptr, nullptr), 0);
  EXPECT_EQ(asioMessage(kAsioResyncRequest, 0, nullptr, nullptr), 1);
  EXPECT_EQ(asioMessage(kAsioLatenciesChanged, 0, nullptr, nullptr), 1);
  EXPECT_EQ(asioMessage(kAsioSupportsTimeInfo, 0, nullptr, nullptr), 1);
  EXPECT_EQ(asioMessage(kAsioMMCCommand, 0, nullptr, nullptr), 0);
  EXPECT_EQ(asioMessage(1000, 0, nullptr, nullptr), 0);
}

}  // namespace
