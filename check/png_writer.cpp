#include "check/png_writer.h"

#include <algorithm>
#include <array>

namespace {

// A deflate stream of one block with the fixed codes and LZ77 matches from hash chains.
class BitWriter {
 public:
  void put(uint32_t bits, int count) {  // least significant bit first
    for (int i = 0; i < count; ++i) {
      current_ |= ((bits >> i) & 1) << used_;
      if (++used_ == 8) {
        out_.push_back(static_cast<char>(current_));
        current_ = 0;
        used_ = 0;
      }
    }
  }
  void putCode(uint32_t code, int count) {  // Huffman codes go most significant bit first
    for (int i = count - 1; i >= 0; --i) {
      put((code >> i) & 1, 1);
    }
  }
  std::string finish() {
    if (used_ > 0) {
      out_.push_back(static_cast<char>(current_));
    }
    return out_;
  }

 private:
  std::string out_;
  uint32_t current_ = 0;
  int used_ = 0;
};

const int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistanceBase[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                              6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void putSymbol(BitWriter& w, int symbol) {
  if (symbol < 144) {
    w.putCode(0x30 + symbol, 8);
  } else if (symbol < 256) {
    w.putCode(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    w.putCode(symbol - 256, 7);
  } else {
    w.putCode(0xC0 + symbol - 280, 8);
  }
}

void putMatch(BitWriter& w, int length, int distance) {
  int code = 28;
  while (kLengthBase[code] > length) {
    --code;
  }
  putSymbol(w, 257 + code);
  w.put(length - kLengthBase[code], kLengthExtra[code]);
  int dcode = 29;
  while (kDistanceBase[dcode] > distance) {
    --dcode;
  }
  w.putCode(dcode, 5);
  w.put(distance - kDistanceBase[dcode], kDistanceExtra[dcode]);
}

std::string deflate(const std::string& data) {
  constexpr int kWindow = 32768, kMaxMatch = 258, kChainDepth = 24;
  constexpr int kHashSize = 1 << 15;
  std::vector<int> head(kHashSize, -1), previous(data.size(), -1);
  const auto hash = [&](size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(data[k]); };
    return ((b(i) << 10) ^ (b(i + 1) << 5) ^ b(i + 2)) & (kHashSize - 1);
  };
  const auto insert = [&](size_t i) {
    if (i + 2 < data.size()) {
      const int h = hash(i);
      previous[i] = head[h];
      head[h] = static_cast<int>(i);
    }
  };
  BitWriter w;
  w.put(1, 1);  // last block
  w.put(1, 2);  // fixed codes
  size_t i = 0;
  while (i < data.size()) {
    int bestLength = 0, bestDistance = 0;
    if (i + 2 < data.size()) {
      int candidate = head[hash(i)];
      for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
        const int distance = static_cast<int>(i) - candidate;
        if (distance > kWindow) {
          break;
        }
        int length = 0;
        const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, data.size() - i));
        while (length < limit && data[candidate + length] == data[i + length]) {
          ++length;
        }
        if (length > bestLength) {
          bestLength = length, bestDistance = distance;
          if (length == limit) {
            break;
          }
        }
        candidate = previous[candidate];
      }
    }
    if (bestLength >= 3) {
      putMatch(w, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) {
        insert(i + k);
      }
      i += bestLength;
    } else {
      putSymbol(w, static_cast<unsigned char>(data[i]));
      insert(i);
      ++i;
    }
  }
  putSymbol(w, 256);
  return w.finish();
}

uint32_t crc32(const std::string& bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::string bigEndian(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string chunk(const std::string& type, const std::string& body) {
  const std::string typed = type + body;
  return bigEndian(static_cast<uint32_t>(body.size())) + typed + bigEndian(crc32(typed));
}

}  // namespace

std::string encodePng(int width, int height, const std::vector<uint32_t>& pixels) {
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * width));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      raw.push_back(static_cast<char>(p >> 16));
      raw.push_back(static_cast<char>(p >> 8));
      raw.push_back(static_cast<char>(p));
    }
  }
  const std::string header =
      bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5);
  const std::string zlib = std::string("\x78\x01", 2) + deflate(raw) + bigEndian(adler32(raw));
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlib) +
         chunk("IEND", "");
}

std::string base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) {
      v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    }
    if (i + 2 < bytes.size()) {
      v |= static_cast<unsigned char>(bytes[i + 2]);
    }
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
  }
  return out;
}
