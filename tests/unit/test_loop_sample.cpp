// The loop loader against the WAV layouts it meets: the 46-byte and 44-byte headers,
// WAVE_FORMAT_EXTENSIBLE, mono, chunks in unusual places, and damaged or foreign files.
#include <cstdio>
#include <string>
#include <vector>

#include "audio/loop_sample.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8 & 0xFF);
}
void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void putTag(Bytes& b, const char* tag) {
  for (int i = 0; i < 4; ++i) {
    b.push_back(static_cast<unsigned char>(tag[i]));
  }
}

void putChunk(Bytes& b, const char* tag, const Bytes& body, uint32_t size) {
  putTag(b, tag);
  put32(b, size);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) {
    b.push_back(0);
  }
}
void putChunk(Bytes& b, const char* tag, const Bytes& body) {
  putChunk(b, tag, body, static_cast<uint32_t>(body.size()));
}

struct Format {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint16_t bits = 16;
  size_t size = 18;  // 16: the common header; 18: the 46-byte one; 40: extensible
  bool pcmSubFormat = true;
};

Bytes formatBody(const Format& f) {
  Bytes b;
  put16(b, f.tag);
  put16(b, f.channels);
  put32(b, 44100);
  put32(b, 44100u * f.channels * f.bits / 8);
  put16(b, f.channels * f.bits / 8);
  put16(b, f.bits);
  if (f.size >= 18) {
    put16(b, static_cast<uint32_t>(f.size - 18));
  }
  if (f.size >= 40) {
    put16(b, f.bits);
    put32(b, f.channels == 2 ? 3 : 4);
    put32(b, f.pcmSubFormat ? 1 : 3);  // PCM or IEEE float sub-format
    const unsigned char rest[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                    0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    b.insert(b.end(), rest, rest + 12);
  }
  return b;
}

// Frames of (left, right) samples, or of left samples only for mono.
Bytes frames(int count, int channels, int16_t (*left)(int)) {
  Bytes b;
  for (int i = 0; i < count; ++i) {
    put16(b, static_cast<uint16_t>(left(i)));
    if (channels == 2) {
      put16(b, 0x7777);
    }
  }
  return b;
}

int16_t ramp(int i) {
  return static_cast<int16_t>(i * 7 - 3000);
}

Bytes riff(const Bytes& chunks) {
  Bytes b;
  putTag(b, "RIFF");
  put32(b, static_cast<uint32_t>(chunks.size() + 4));
  putTag(b, "WAVE");
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

Bytes wave(const Format& f, const Bytes& data) {
  Bytes chunks;
  putChunk(chunks, "fmt ", formatBody(f));
  putChunk(chunks, "data", data);
  return riff(chunks);
}

class LoopSampleTest : public TempFolderTest {
 protected:
  void TearDown() override {
    freeLoopSample();
    TempFolderTest::TearDown();
  }
  void load(const Bytes& file) {
    const std::string target = path();
    FILE* out = std::fopen(target.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    loadLoopSample(target.c_str());
  }
  void expectRamp(int count) {
    ASSERT_EQ(loopSample.frameCount, count);
    ASSERT_NE(loopSample.leftSamples, nullptr);
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(loopSample.leftSamples[i], ramp(i)) << "frame " << i;
    }
  }
  void expectNothing() {
    EXPECT_EQ(loopSample.frameCount, 0);
    EXPECT_EQ(loopSample.leftSamples, nullptr);
  }
  std::string path() const { return folder() + "/loop.wav"; }
};

TEST_F(LoopSampleTest, ReadsTheLeftChannelOfEveryHeaderLayout) {
  const Bytes data = frames(1000, 2, ramp);  // 4000 bytes: more than three read blocks
  load(wave(Format{}, data));
  ASSERT_EQ(wave(Format{}, data).size(), 46 + 4000u);
  expectRamp(1000);

  Format common;
  common.size = 16;
  load(wave(common, data));
  expectRamp(1000);

  Format extensible;
  extensible.tag = 0xFFFE;
  extensible.size = 40;
  load(wave(extensible, data));
  expectRamp(1000);

  Format mono;
  mono.channels = 1;
  load(wave(mono, frames(1000, 1, ramp)));
  expectRamp(1000);
}

TEST_F(LoopSampleTest, FindsChunksWhereverTheyStand) {
  Bytes chunks;
  putChunk(chunks, "LIST", Bytes(5, 'x'));  // odd size: padded to an even offset
  putChunk(chunks, "data", frames(50, 2, ramp));
  putChunk(chunks, "junk", Bytes(8, 0));
  putChunk(chunks, "fmt ", formatBody(Format{}));
  load(riff(chunks));
  expectRamp(50);
}

TEST_F(LoopSampleTest, SkipsThePadByteOfAnOddFormatChunk) {
  // Format chunks of 17 and 39 bytes: the loader reads them whole, and the pad byte after
  // them still stands between the chunk and the next one.
  for (size_t size : {17u, 39u}) {
    Bytes body = formatBody(Format{});
    body.resize(size, 0);
    Bytes chunks;
    putChunk(chunks, "fmt ", body);
    putChunk(chunks, "data", frames(50, 2, ramp));
    load(riff(chunks));
    expectRamp(50);
  }
}

TEST_F(LoopSampleTest, KeepsSampleValuesSigned) {
  Bytes data = {0xFF, 0xFF, 0x11, 0x11, 0x00, 0x80, 0x22, 0x22, 0xFF, 0x7F, 0x33, 0x33};
  load(wave(Format{}, data));
  ASSERT_EQ(loopSample.frameCount, 3);
  EXPECT_EQ(loopSample.leftSamples[0], -1);
  EXPECT_EQ(loopSample.leftSamples[1], -32768);
  EXPECT_EQ(loopSample.leftSamples[2], 32767);
}

TEST_F(LoopSampleTest, StoresOnlyWholeFramesOfTheDeclaredCount) {
  Bytes data = frames(101, 2, ramp);
  Bytes chunks;
  putChunk(chunks, "fmt ", formatBody(Format{}));
  putChunk(chunks, "data", data, 402);  // 100 frames and two stray bytes declared
  putChunk(chunks, "LIST", Bytes(64, 'y'));
  load(riff(chunks));
  expectRamp(100);
}

TEST_F(LoopSampleTest, ATruncatedFileKeepsTheFramesItHas) {
  Bytes file = wave(Format{}, frames(1000, 2, ramp));
  file.resize(46 + 400 + 2);  // 100 whole frames and half of the next
  load(file);
  expectRamp(100);
}

TEST_F(LoopSampleTest, RefusesDamagedCounts) {
  Bytes chunks;
  putChunk(chunks, "fmt ", formatBody(Format{}));
  putTag(chunks, "data");
  put32(chunks, 0x80000000u);  // negative as a signed count
  Bytes body = frames(10, 2, ramp);
  chunks.insert(chunks.end(), body.begin(), body.end());
  load(riff(chunks));
  expectNothing();

  chunks.clear();
  putChunk(chunks, "fmt ", formatBody(Format{}));
  putTag(chunks, "data");
  put32(chunks, 0x7FFFFFFCu);  // half a million frames of a 2 GB file that is not there
  chunks.insert(chunks.end(), body.begin(), body.end());
  load(riff(chunks));
  expectNothing();
}

TEST_F(LoopSampleTest, LoadsNothingThatIsNot16BitPcm) {
  Format eightBit;
  eightBit.bits = 8;
  load(wave(eightBit, Bytes(400, 0x80)));
  expectNothing();

  Format floats;
  floats.tag = 3;
  floats.bits = 32;
  load(wave(floats, Bytes(800, 0)));
  expectNothing();

  Format extensibleFloat;
  extensibleFloat.tag = 0xFFFE;
  extensibleFloat.size = 40;
  extensibleFloat.pcmSubFormat = false;
  load(wave(extensibleFloat, frames(10, 2, ramp)));
  expectNothing();

  Format surround;
  surround.channels = 6;
  load(wave(surround, Bytes(1200, 0)));
  expectNothing();

  Bytes noData;
  putChunk(noData, "fmt ", formatBody(Format{}));
  load(riff(noData));
  expectNothing();
}

TEST_F(LoopSampleTest, LoadsNothingFromForeignOrMissingFiles) {
  const std::string text = "[audio]\r\nloop=test.wav\r\n";
  load(Bytes(text.begin(), text.end()));
  expectNothing();

  Bytes rifx = wave(Format{}, frames(10, 2, ramp));
  rifx[3] = 'X';
  load(rifx);
  expectNothing();

  load(wave(Format{}, frames(10, 2, ramp)));
  loadLoopSample((path() + ".missing").c_str());  // replaces the sample loaded before
  expectNothing();

  loadLoopSample(folder().c_str());  // a folder, as an empty loop value gives
  expectNothing();
}

}  // namespace
