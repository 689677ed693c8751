// The stream handlers: sample encodings written and measured, the loop's wrap, which
// outputs play in which step, and the answers to the driver's messages.
#include "audio/stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "audio_fixture.h"

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
    EXPECT_EQ(e.frames, Bytes(out.begin(), out.end() - 1)) << "type " << e.type;
    EXPECT_EQ(0xEE, out.back()) << "type " << e.type << " wrote past its frames";
    EXPECT_EQ(static_cast<int32_t>(e.frames.size() / 2), bytesPerSample(e.type));
    EXPECT_EQ(0, loopPosition);  // two frames of a two-frame loop: wrapped
  }
}

TEST_F(AudioTest, EveryEncodingReadsBackAsTheLoopLevel) {
  setLoop({100, -32768, 32767, 5000, -1});
  for (const Encoding& e : kEncodings) {
    Bytes out(5 * e.frames.size() / 2);
    loopPosition = 0;
    fillFromLoop(e.type, out.data(), 5);
    const size_t width = e.frames.size() / 2;
    EXPECT_EQ(32767, inputPeak(e.type, out.data(), 5)) << "type " << e.type;
    // Negative samples never count, however large.
    EXPECT_EQ(0, inputPeak(e.type, out.data() + width, 1)) << "type " << e.type;
    EXPECT_EQ(5000, inputPeak(e.type, out.data() + 3 * width, 1)) << "type " << e.type;
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
    EXPECT_EQ(Bytes(u.bytes, 0), Bytes(out.begin(), out.begin() + u.bytes)) << u.type;
    EXPECT_EQ(0xEE, out[u.bytes]) << "type " << u.type << " wrote past its half-buffer";
    EXPECT_EQ(1, loopPosition);
    EXPECT_EQ(0, inputPeak(u.type, out.data(), 16));
  }
  EXPECT_EQ(2, bytesPerSample(ASIOSTDSDInt8LSB1));

  freeLoopSample();
  Bytes wide(32, 0xEE);
  fillFromLoop(ASIOSTInt32LSB, wide.data(), 8);
  EXPECT_EQ(Bytes(32, 0), wide);
  EXPECT_EQ(1, loopPosition);
  fillFromLoop(ASIOSTInt32LSB, wide.data(), 0);  // frame count 0 writes nothing
}

TEST_F(AudioTest, IntegerPeaksUseTheLargestValueOnTheSixteenBitScale) {
  const int16_t mixed[] = {-30000, 500, -1, 499};
  EXPECT_EQ(500, inputPeak(ASIOSTInt16LSB, mixed, 4));
  const int16_t negative[] = {-5, -32768, -1};
  EXPECT_EQ(0, inputPeak(ASIOSTInt16LSB, negative, 3));
  const unsigned char msb16[] = {0x01, 0xF4, 0xFF, 0xFF};
  EXPECT_EQ(500, inputPeak(ASIOSTInt16MSB, msb16, 2));

  const unsigned char int24[] = {0x00, 0x80, 0x00};  // 32768
  EXPECT_EQ(128, inputPeak(ASIOSTInt24LSB, int24, 1));
  // 0x800000 is the most negative 24-bit value, not 8388608: sign-extended, it never counts.
  const unsigned char int24Negative[] = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x00};
  EXPECT_EQ(1, inputPeak(ASIOSTInt24LSB, int24Negative, 3));
  const unsigned char int24Msb[] = {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00};
  EXPECT_EQ(32767, inputPeak(ASIOSTInt24MSB, int24Msb, 2));

  const int32_t int32[] = {std::numeric_limits<int32_t>::max(), -7};
  EXPECT_EQ(32767, inputPeak(ASIOSTInt32LSB, int32, 2));
  EXPECT_EQ(32767, inputPeak(ASIOSTInt32LSB24, int32, 2));
  const unsigned char int32Msb[] = {0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(1, inputPeak(ASIOSTInt32MSB, int32Msb, 2));
}

TEST_F(AudioTest, FloatPeaksIgnoreNaNAndStopAtFullScale) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float withNaN[] = {nan, 0.25f, nan};
  EXPECT_EQ(16384, inputPeak(ASIOSTFloat32LSB, withNaN, 3));
  const float onlyNaN[] = {nan, nan};
  EXPECT_EQ(0, inputPeak(ASIOSTFloat32LSB, onlyNaN, 2));
  const float fullScale[] = {-3.0f, 1.0f};
  EXPECT_EQ(65536, inputPeak(ASIOSTFloat32LSB, fullScale, 2));  // above the 16-bit scale
  const float clipped[] = {4.0e9f, std::numeric_limits<float>::infinity()};
  EXPECT_EQ(65536, inputPeak(ASIOSTFloat32LSB, clipped, 2));

  std::vector<float> floats(40, 0.125f);  // long enough for every lane of the scan
  floats[17] = nan;
  floats[3] = -nan;
  floats[30] = 0.5f;
  EXPECT_EQ(32768, inputPeak(ASIOSTFloat32LSB, floats.data(), 40));
  floats[17] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(65536, inputPeak(ASIOSTFloat32LSB, floats.data(), 40));

  const double doubles[] = {std::nan(""), 0.5, -2.0};
  EXPECT_EQ(32768, inputPeak(ASIOSTFloat64LSB, doubles, 3));
  const unsigned char float32Msb[] = {0x3E, 0x80, 0x00, 0x00};  // 0.25
  EXPECT_EQ(16384, inputPeak(ASIOSTFloat32MSB, float32Msb, 1));
  const unsigned char float64Msb[] = {0x3F, 0xF0, 0, 0, 0, 0, 0, 0};  // 1.0
  EXPECT_EQ(65536, inputPeak(ASIOSTFloat64MSB, float64Msb, 1));
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
    ASSERT_EQ(768 + i, out[i]);
  }
  for (int i = 232; i < 256; ++i) {
    ASSERT_EQ(i - 232, out[i]);
  }
  EXPECT_EQ(24, loopPosition);
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
  EXPECT_EQ((std::vector<int>{0, 0, 1, 1, 0, 0}), playing(2, 6, kStepAudioOut, 1));
  EXPECT_EQ(1, loopPosition);  // 4 frames of a 3-frame loop: one advance, shared by the pair
  // An odd count leaves one output out; a pair beyond the last plays nothing.
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 1}), playing(2, 5, kStepAudioOut, 2));
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0}), playing(2, 5, kStepAudioOut, 3));
  EXPECT_EQ(0, loopPosition);
}

TEST_F(OutputSelectionTest, InputTestPlaysTheFirstTwoOutputs) {
  EXPECT_EQ((std::vector<int>{1, 1, 0, 0}), playing(2, 4, kStepAudioIn, 1));
  EXPECT_EQ((std::vector<int>{1}), playing(2, 1, kStepAudioIn, 0));
}

TEST_F(OutputSelectionTest, OtherStepsSilenceEveryOutput) {
  for (int32_t step : {kStepOpening, kStepNoteTest, kStepNoteRxTest, kStepClosing, kFinishedStep}) {
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), playing(2, 4, step, 0)) << "step " << step;
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
  EXPECT_EQ(20000, asioFacts.inputLevels[0].get());
  EXPECT_EQ(1000, asioFacts.inputLevels[1].get());
  EXPECT_EQ(0, asioFacts.inputLevels[2].get());
}

TEST_F(AudioTest, PartnersOfDifferentTypesPlayTheSameFrames) {
  stream(0, 2, 3, ASIOSTInt16LSB);
  asioHost.channelInfos[1].type = ASIOSTInt32LSB;  // wider than its partner
  setLoop({10, 20, 30, 40});
  currentStep.set(kStepAudioOut);
  bufferSwitchTimeInfo(nullptr, 0, 0);
  const int16_t* even = reinterpret_cast<const int16_t*>(buffer(0));
  const int32_t* odd = reinterpret_cast<const int32_t*>(buffer(1));
  EXPECT_EQ(10, even[0]);
  EXPECT_EQ(30, even[2]);
  EXPECT_EQ(10 << 16, odd[0]);
  EXPECT_EQ(30 << 16, odd[2]);
  EXPECT_EQ(0xEE, buffer(1)[12]);  // 3 frames of 4 bytes, nothing beyond
  EXPECT_EQ(3, loopPosition);
}

TEST_F(AudioTest, PartnerOfAnUnencodedOutputIsSilentToo) {
  stream(0, 2, 3, ASIOSTInt16LSB);
  asioHost.channelInfos[0].type = ASIOSTDSDInt8NER8;  // no codec: the even output is silent
  setLoop({10, 20, 30, 40});
  currentStep.set(kStepAudioOut);
  for (int32_t index : {0, 1, 0}) {
    bufferSwitchTimeInfo(nullptr, index, 0);
    EXPECT_EQ(Bytes(6, 0), Bytes(buffer(1, index), buffer(1, index) + 6)) << "switch " << index;
    EXPECT_EQ(0xEE, buffer(1, index)[6]);
  }
  EXPECT_EQ(0, loopPosition);
}

TEST_F(AudioTest, BufferSwitchAsksTheDriverForTheTimeAndProcesses) {
  setLoop({5, 6});
  stream(1, 2, 2, ASIOSTInt16LSB);
  currentStep.set(kStepAudioIn);
  for (ASIOError position : {ASE_OK, ASE_NotPresent}) {
    driver.positionResult = position;
    driver.calls.clear();
    bufferSwitch(1, 0);
    EXPECT_EQ(1, driver.count("getSamplePosition"));
    const int16_t* out = reinterpret_cast<const int16_t*>(buffer(1, 1));
    EXPECT_EQ(5, out[0]);
    EXPECT_EQ(6, out[1]);
  }
}

TEST(AsioMessage, AnswersBySelectorAndValue) {
  EXPECT_EQ(1, asioMessage(kAsioSelectorSupported, kAsioSupportsTimeCode, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(kAsioSupportsTimeCode, 0, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(kAsioSelectorSupported, kAsioBufferSizeChange, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(kAsioSelectorSupported, 42, nullptr, nullptr));
  for (int32_t value : {2, 3, 5, 6, 7, 9}) {
    EXPECT_EQ(1, asioMessage(kAsioSelectorSupported, value, nullptr, nullptr)) << value;
  }
  EXPECT_EQ(2, asioMessage(kAsioEngineVersion, 0, nullptr, nullptr));
  EXPECT_EQ(1, asioMessage(kAsioResetRequest, 0, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(kAsioBufferSizeChange, 512, nullptr, nullptr));
  EXPECT_EQ(1, asioMessage(kAsioResyncRequest, 0, nullptr, nullptr));
  EXPECT_EQ(1, asioMessage(kAsioLatenciesChanged, 0, nullptr, nullptr));
  EXPECT_EQ(1, asioMessage(kAsioSupportsTimeInfo, 0, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(kAsioMMCCommand, 0, nullptr, nullptr));
  EXPECT_EQ(0, asioMessage(1000, 0, nullptr, nullptr));
}

}  // namespace
