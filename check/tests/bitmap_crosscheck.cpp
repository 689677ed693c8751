// The checker's bitmap reader against the station's way of loading bitmaps (LoadImageA from
// file into a DIB section): the same files load, and they show the same pixels. A top-down
// bitmap loads but shows blank, and the checker refuses it; run-length bitmaps the checker
// refuses on purpose (not every system decodes them alike), so only their loading is asked.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check/bmp_image.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF, b[at + 1] = (v >> 8) & 0xFF;
}
void put32(Bytes& b, size_t at, uint32_t v) {
  put16(b, at, v & 0xFFFF), put16(b, at + 2, v >> 16);
}

// A bitmap of 5 x 3 pixels whose colours vary by position, in the layout asked for.
Bytes makeBitmap(int bits, uint32_t compression, bool topDown, uint32_t headerSize = 40) {
  const int width = 5, height = 3;
  const bool core = headerSize == 12;
  const size_t palette = bits <= 8 ? (size_t{1} << bits) * (core ? 3 : 4) : 0;
  const size_t masks = compression == 3 ? 12 : 0;
  const size_t rowBytes = (width * bits + 31) / 32 * 4;
  const size_t offset = 14 + headerSize + masks + palette;
  Bytes b(offset + rowBytes * height, 0);
  b[0] = 'B', b[1] = 'M';
  put32(b, 2, static_cast<uint32_t>(b.size()));
  put32(b, 10, static_cast<uint32_t>(offset));
  put32(b, 14, headerSize);
  if (core) {
    put16(b, 18, width), put16(b, 20, height), put16(b, 22, 1), put16(b, 24, bits);
  } else {
    put32(b, 18, width), put32(b, 22, topDown ? -height : height), put16(b, 26, 1);
    put16(b, 28, bits), put32(b, 30, compression);
  }
  if (compression == 3) {
    put32(b, 14 + headerSize, bits == 16 ? 0xF800 : 0xFF0000);
    put32(b, 18 + headerSize, bits == 16 ? 0x07E0 : 0xFF00);
    put32(b, 22 + headerSize, bits == 16 ? 0x001F : 0xFF);
  }
  for (size_t i = 0; i < palette / (core ? 3 : 4); ++i) {
    unsigned char* entry = &b[14 + headerSize + masks + i * (core ? 3 : 4)];
    entry[0] = static_cast<unsigned char>(i * 37),
    entry[1] = static_cast<unsigned char>(255 - i * 11);
    entry[2] = static_cast<unsigned char>(i * 90);
  }
  if (compression == 1) {  // RLE8: per row a run, two literal pixels, a jump on the last row
    Bytes runs;
    for (int y = 0; y < height; ++y) {
      const unsigned char first = static_cast<unsigned char>(y * 40 + 3);
      runs.insert(runs.end(), {3, first, 0, 3, 7, 9, 11, 0, 0, 0});
    }
    runs.erase(runs.end() - 2, runs.end());
    runs.insert(runs.end(), {0, 2, 1, 0, 1, 200, 0, 1});
    b.resize(offset);
    b.insert(b.end(), runs.begin(), runs.end());
    put32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t value = static_cast<uint32_t>(x * 53 + y * 97 + 11);
      const size_t row = offset + rowBytes * y;
      if (bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint32_t index = value & ((1u << bits) - 1);
        b[row + bit / 8] |= static_cast<unsigned char>(index << (8 - bits - bit % 8));
      } else if (bits == 16) {
        put16(b, row + x * 2, value * 331);
      } else if (bits == 24) {
        b[row + x * 3] = value & 0xFF, b[row + x * 3 + 1] = (value * 7) & 0xFF;
        b[row + x * 3 + 2] = (value * 13) & 0xFF;
      } else {
        put32(b, row + x * 4, value * 0x010305);
      }
    }
  }
  return b;
}

bool sameAsLoadImage(const char* name, const Bytes& data) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  std::snprintf(path, sizeof path, "%svelk-check-%s.bmp", folder, name);
  FILE* file = std::fopen(path, "wb");
  std::fwrite(data.data(), 1, data.size(), file);
  std::fclose(file);

  const BmpImage mine = decodeBmp(data);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  DeleteFileA(path);
  const bool blank = std::strstr(mine.problem.c_str(), "shows such a picture blank") != nullptr;
  const bool runLength = std::strstr(mine.problem.c_str(), "-compressed; save") != nullptr;
  bool same = (bitmap != nullptr) == (mine.loaded || blank || runLength);
  if (same && bitmap != nullptr) {
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    same = !mine.loaded || (info.bmWidth == mine.width && info.bmHeight == mine.height);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;  // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> shown(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, shown.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    // GDI widens 16-bit colours with its own rounding, within a step of the checker's; the
    // checks compare pictures with each other, never with fixed colours.
    const int slack = data[28] == 16 ? 4 : 0;
    const auto within = [&](uint32_t a, uint32_t b) {
      for (int shift = 0; shift < 24; shift += 8) {
        const int da =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (da > slack || da < -slack) {
          return false;
        }
      }
      return true;
    };
    if (blank) {
      for (size_t i = 1; same && i < shown.size(); ++i) {
        same = shown[i] == shown[0];
      }
    }
    for (size_t i = 0; mine.loaded && same && i < shown.size(); ++i) {
      if (!within(shown[i] & 0xFFFFFF, mine.pixels[i])) {
        std::printf("%s: pixel %zu is %06X, the checker reads %06X\n", name, i,
                    static_cast<unsigned>(shown[i] & 0xFFFFFF), mine.pixels[i]);
        same = false;
      }
    }
    DeleteObject(bitmap);
  }
  std::printf("%-22s LoadImageA %-8s checker %-8s %s\n", name,
              bitmap ? (blank ? "blank" : "loads") : "refuses", mine.loaded ? "loads" : "refuses",
              same ? "same" : "DIFFERENT");
  return same;
}

}  // namespace

int main() {
  struct Case {
    const char* name;
    Bytes data;
  };
  std::vector<Case> cases = {
      {"24-bit", makeBitmap(24, 0, false)},
      {"24-bit-top-down", makeBitmap(24, 0, true)},
      {"32-bit", makeBitmap(32, 0, false)},
      {"32-bit-bitfields", makeBitmap(32, 3, false)},
      {"16-bit-555", makeBitmap(16, 0, false)},
      {"16-bit-565", makeBitmap(16, 3, false)},
      {"8-bit-palette", makeBitmap(8, 0, false)},
      {"4-bit-palette", makeBitmap(4, 0, false)},
      {"1-bit-palette", makeBitmap(1, 0, false)},
      {"core-header-24-bit", makeBitmap(24, 0, false, 12)},
      {"v5-header-24-bit", makeBitmap(24, 0, false, 124)},
      {"rle8", makeBitmap(8, 1, false)},
      {"rle8-top-down", makeBitmap(8, 1, true)},
  };
  Bytes notBm = makeBitmap(24, 0, false);
  notBm[0] = 'X';
  cases.push_back({"not-bm", notBm});
  Bytes planes = makeBitmap(24, 0, false);
  put16(planes, 26, 2);
  cases.push_back({"two-planes", planes});
  Bytes noWidth = makeBitmap(24, 0, false);
  put32(noWidth, 18, 0);
  cases.push_back({"zero-width", noWidth});
  Bytes odd = makeBitmap(24, 0, false);
  put16(odd, 28, 7);
  cases.push_back({"7-bit", odd});

  int different = 0;
  for (const Case& c : cases) {
    different += sameAsLoadImage(c.name, c.data) ? 0 : 1;
  }
  std::printf("%d of %zu layouts differ\n", different, cases.size());
  return different == 0 ? 0 : 1;
}
