#include "check/bmp_image.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr int64_t kLargestPicture = 64 << 20;  // pixels; far beyond any panel picture

struct Layout {
  int width, height;
  bool topDown;
  int bits;
  uint32_t compression;
  uint32_t masks[3];
  size_t paletteOffset, paletteEntries, paletteEntrySize;
  size_t pixelOffset;
};

uint32_t le16(const std::vector<unsigned char>& d, size_t at) {
  return d[at] | d[at + 1] << 8;
}

uint32_t le32(const std::vector<unsigned char>& d, size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

const char* compressionName(uint32_t compression) {
  switch (compression) {
    case 4:
      return "JPEG-compressed";
    case 5:
      return "PNG-compressed";
    default:
      return "compressed";
  }
}

// Fills the layout from the headers; an empty result means it loads, else why not.
std::string readLayout(const std::vector<unsigned char>& d, Layout& layout) {
  if (d.size() >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') {
    return "it is a PNG file, not a bitmap";
  }
  if (d.size() < 2 || d[0] != 'B' || d[1] != 'M') {
    return "it is not a bitmap file (no \"BM\" at its start)";
  }
  if (d.size() < 26) {
    return "the file ends inside its header";
  }
  const uint32_t headerSize = le32(d, 14);
  const bool core = headerSize == 12;
  if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124) {
    return "its header (" + std::to_string(headerSize) + " bytes) is of no known kind";
  }
  if (d.size() < 14 + headerSize) {
    return "the file ends inside its header";
  }
  int64_t width, height;
  uint32_t planes, clrUsed = 0;
  layout.compression = kBiRgb;
  if (core) {
    width = le16(d, 18);
    height = le16(d, 20);
    planes = le16(d, 22);
    layout.bits = static_cast<int>(le16(d, 24));
  } else {
    width = static_cast<int32_t>(le32(d, 18));
    height = static_cast<int32_t>(le32(d, 22));
    planes = le16(d, 26);
    layout.bits = static_cast<int>(le16(d, 28));
    layout.compression = le32(d, 30);
    clrUsed = le32(d, 46);
  }
  if (planes != 1) {
    return "it has " + std::to_string(planes) + " planes (bitmaps have 1)";
  }
  const int bits = layout.bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return "it has " + std::to_string(bits) + " bits per pixel";
  }
  // Run-length bitmaps need decompressing into the DIB section, which not every system's
  // LoadImageA does alike; the station copies pictures region by region, so ask for plain.
  if (layout.compression == kBiRle8 || layout.compression == kBiRle4) {
    return std::string("it is ") + (layout.compression == kBiRle8 ? "RLE8" : "RLE4") +
           "-compressed; save it uncompressed";
  }
  if (layout.compression != kBiRgb &&
      !(layout.compression == kBiBitfields && (bits == 16 || bits == 32))) {
    return std::string("it is ") + compressionName(layout.compression) +
           ", which does not load into a DIB section";
  }
  // LoadImageA takes these, but the picture it gives shows nothing of what was drawn.
  if (height < 0) {
    return "it is stored top row first, and the station shows such a picture blank";
  }
  if (width <= 0 || height == 0) {
    return "its size is " + std::to_string(width) + " x " + std::to_string(height);
  }
  layout.topDown = height < 0;
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height < 0 ? -height : height);
  if (static_cast<int64_t>(layout.width) * layout.height > kLargestPicture) {
    return "it is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
  }

  size_t tableOffset = 14 + headerSize;
  if (layout.compression == kBiBitfields) {
    const size_t maskOffset = headerSize >= 52 ? 14 + 40 : tableOffset;
    if (headerSize < 52) {
      tableOffset += 12;
    }
    if (d.size() < maskOffset + 12) {
      return "the file ends inside its colour masks";
    }
    for (int i = 0; i < 3; ++i) {
      layout.masks[i] = le32(d, maskOffset + 4 * i);
    }
  } else if (bits == 16) {
    layout.masks[0] = 0x7C00, layout.masks[1] = 0x03E0, layout.masks[2] = 0x001F;
  } else {
    layout.masks[0] = 0xFF0000, layout.masks[1] = 0xFF00, layout.masks[2] = 0xFF;
  }
  layout.paletteOffset = tableOffset;
  layout.paletteEntrySize = core ? 3 : 4;
  layout.paletteEntries =
      bits <= 8 ? (clrUsed != 0 && clrUsed < (1u << bits) ? clrUsed : 1u << bits) : 0;
  const size_t paletteEnd = tableOffset + layout.paletteEntries * layout.paletteEntrySize;
  if (bits <= 8 && d.size() < paletteEnd) {
    return "the file ends inside its colour table";
  }
  const uint32_t offBits = le32(d, 10);
  layout.pixelOffset = offBits != 0 ? offBits : paletteEnd;
  const size_t rowBytes = (static_cast<size_t>(layout.width) * bits + 31) / 32 * 4;
  const size_t needed = layout.pixelOffset + rowBytes * layout.height;
  if (d.size() < needed) {
    return "the file ends inside its pixels (" + std::to_string(d.size()) + " of " +
           std::to_string(needed) + " bytes)";
  }
  return "";
}

int maskWidth(uint32_t mask) {
  int width = 0;
  for (; mask != 0; mask >>= 1) {
    width += mask & 1;
  }
  return width;
}

// A masked channel widened to 8 bits by repeating its top bits, as GDI converts it.
uint32_t channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) {
    return 0;
  }
  int shift = 0;
  while (((mask >> shift) & 1) == 0) {
    ++shift;
  }
  int width = 0;
  while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) {
    ++width;
  }
  const uint32_t value = (pixel & mask) >> shift;
  if (width >= 8) {
    return (value >> (width - 8)) & 0xFF;
  }
  uint32_t wide = 0;
  for (int position = 8; position > 0;) {
    position -= width;
    wide |= position >= 0 ? value << position : value >> -position;
  }
  return wide & 0xFF;
}

uint32_t paletteColour(const std::vector<unsigned char>& d, const Layout& layout, uint32_t index) {
  if (index >= layout.paletteEntries) {
    return 0;
  }
  const size_t at = layout.paletteOffset + index * layout.paletteEntrySize;
  return static_cast<uint32_t>(d[at + 2]) << 16 | d[at + 1] << 8 | d[at];
}

void decodePixels(const std::vector<unsigned char>& d, const Layout& layout, BmpImage& image) {
  const size_t rowBytes = (static_cast<size_t>(layout.width) * layout.bits + 31) / 32 * 4;
  image.pixels.resize(static_cast<size_t>(layout.width) * layout.height);
  for (int y = 0; y < layout.height; ++y) {
    const int fileRow = layout.topDown ? y : layout.height - 1 - y;
    const size_t row = layout.pixelOffset + rowBytes * fileRow;
    uint32_t* out = &image.pixels[static_cast<size_t>(y) * layout.width];
    for (int x = 0; x < layout.width; ++x) {
      uint32_t colour;
      switch (layout.bits) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = static_cast<size_t>(x) * layout.bits;
          const uint32_t byte = d[row + bit / 8];
          const uint32_t index = (byte >> (8 - layout.bits - bit % 8)) & ((1u << layout.bits) - 1);
          colour = paletteColour(d, layout, index);
          break;
        }
        case 24: {
          const size_t at = row + static_cast<size_t>(x) * 3;
          colour = static_cast<uint32_t>(d[at + 2]) << 16 | d[at + 1] << 8 | d[at];
          break;
        }
        default: {
          const uint32_t pixel = layout.bits == 16 ? le16(d, row + static_cast<size_t>(x) * 2)
                                                   : le32(d, row + static_cast<size_t>(x) * 4);
          colour = channel(pixel, layout.masks[0]) << 16 | channel(pixel, layout.masks[1]) << 8 |
                   channel(pixel, layout.masks[2]);
          break;
        }
      }
      out[x] = colour;
    }
  }
}

}  // namespace

BmpImage decodeBmp(const std::vector<unsigned char>& data) {
  BmpImage image;
  image.found = true;
  Layout layout{};
  image.problem = readLayout(data, layout);
  if (!image.problem.empty()) {
    return image;
  }
  image.loaded = true;
  image.width = layout.width;
  image.height = layout.height;
  if (layout.bits == 16 || layout.bits == 32) {
    for (int c = 0; c < 3; ++c) {
      const int width = maskWidth(layout.masks[c]);
      image.channelBits[c] = width == 0 || width > 8 ? 8 : width;
    }
  }
  decodePixels(data, layout, image);
  return image;
}

BmpImage readBmpFile(const std::string& path) {
  std::error_code error;
  std::ifstream file(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, error) || !file) {
    return BmpImage{};
  }
  const std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                        std::istreambuf_iterator<char>());
  return decodeBmp(data);
}

bool coloursDiffer(const BmpImage& a, uint32_t colourA, const BmpImage& b, uint32_t colourB) {
  for (int c = 0; c < 3; ++c) {
    // A channel of n bits holds 8-bit colours to within 256 >> n (whatever way the tool that
    // saved it rounded), 0 for 8 bits.
    const int bits = std::min(a.channelBits[c], b.channelBits[c]);
    const int step = bits >= 8 ? 0 : 256 >> bits;
    const int shift = 16 - 8 * c;
    const int difference =
        static_cast<int>((colourA >> shift) & 0xFF) - static_cast<int>((colourB >> shift) & 0xFF);
    if (difference > step || difference < -step) {
      return true;
    }
  }
  return false;
}
