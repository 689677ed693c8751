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

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

BmpImage readBmpFile(const std::string& path);
BmpImage decodeBmp(const std::vector<unsigned char>& data);

#endif
