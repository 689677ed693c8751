// PNG pictures for the model sheet: a browser shows them, and flat panel pictures compress
// to a small part of their bitmap size, so the sheet stays one file of modest size.
#ifndef CHECK_PNG_WRITER_H
#define CHECK_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

// pixels: 0xRRGGBB, top row first.
std::string encodePng(int width, int height, const std::vector<uint32_t>& pixels);
std::string base64(const std::string& bytes);

#endif
