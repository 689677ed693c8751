// Bitmap files as the station loads them (LoadImageA from file into a DIB section): the
// layouts that load, and their pixels as they show on the screen. Portable, so that the
// native checker sees what the station would.
#ifndef CHECK_BMP_IMAGE_H
#define CHECK_BMP_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
  bool found = false;   // the file exists and can be read
  bool loaded = false;  // it loads as the station loads it
  std::string problem;  // why it does not load
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first
  // Bits the file holds of red, green and blue (8 at most): a picture saved with fewer shows
  // a colour only to within a step of that many bits.
  int channelBits[3] = {8, 8, 8};

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

BmpImage readBmpFile(const std::string& path);
// Whether two pictures show different colours at these pixels, beyond the steps of their
// channel depths.
bool coloursDiffer(const BmpImage& a, uint32_t colourA, const BmpImage& b, uint32_t colourB);
BmpImage decodeBmp(const std::vector<unsigned char>& data);

#endif
