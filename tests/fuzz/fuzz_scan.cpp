// Number scanning: the settings file's "%d,%d,..." lists (rectangles, note entries) and the
// channel prefix of a text page value. Parts: a list, a page value, and bytes for numbers
// that are written out and scanned back. Each scan must agree with the C library's strtoll
// (saturated to 32 bits), store fields only up to the first misfit and leave the rest as
// they were.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/page_keys.h"
#include "config/scan.h"
#include "config/settings.h"
#include "fuzz_support.h"

namespace {

int32_t saturated(long long value) {
  return value < INT32_MIN   ? INT32_MIN
         : value > INT32_MAX ? INT32_MAX
                             : static_cast<int32_t>(value);
}

// Fields of a comma list as strtoll reads them: how many, and their values.
int referenceScan(const char* text, int32_t* fields, int count) {
  int stored = 0;
  for (; stored < count; ++stored) {
    if (stored > 0) {
      if (*text != ',') {
        break;
      }
      ++text;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text) {
      break;
    }
    fields[stored] = saturated(value);
    text = end;
  }
  return stored;
}

void checkList(const std::string& text) {
  constexpr int32_t kUntouched = 0x5A5A5A5A;
  int32_t expected[5] = {kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
  const int expectedCount = referenceScan(text.c_str(), expected, 5);

  ControlRect rect{kUntouched, kUntouched, kUntouched, kUntouched};
  int32_t receiveFlag = kUntouched;
  FUZZ_CHECK(scanNoteEntry(text.c_str(), rect, receiveFlag) == expectedCount);
  const int32_t got[5] = {rect.x, rect.y, rect.width, rect.height, receiveFlag};
  FUZZ_CHECK(std::memcmp(got, expected, sizeof got) == 0);

  ControlRect four{kUntouched, kUntouched, kUntouched, kUntouched};
  FUZZ_CHECK(scanRectangle(text.c_str(), four) == (expectedCount < 4 ? expectedCount : 4));
  FUZZ_CHECK(std::memcmp(&four, expected, sizeof four) == 0);
}

void checkPagePrefix(const std::string& value) {
  const int expected = std::strchr(value.c_str(), ',') == nullptr
                           ? 0
                           : saturated(std::strtoll(value.c_str(), nullptr, 10));
  FUZZ_CHECK(pagePrefixNumber(value.c_str()) == expected);
}

// Numbers written the way a settings file holds them come back whole.
void checkRoundTrip(const std::string& bytes) {
  int32_t numbers[5] = {};
  std::memcpy(numbers, bytes.data(), bytes.size() < sizeof numbers ? bytes.size() : sizeof numbers);
  const char* const forms[] = {"%d,%d,%d,%d,%d", " %+d,\t%d,\n%d, %d,  %d"};
  for (const char* form : forms) {
    char text[128];
    std::snprintf(text, sizeof text, form, numbers[0], numbers[1], numbers[2], numbers[3],
                  numbers[4]);
    ControlRect rect{};
    int32_t receiveFlag = 0;
    FUZZ_CHECK(scanNoteEntry(text, rect, receiveFlag) == 5);
    const int32_t got[5] = {rect.x, rect.y, rect.width, rect.height, receiveFlag};
    FUZZ_CHECK(std::memcmp(got, numbers, sizeof got) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = splitParts(data, size, 3);
  checkList(parts[0]);
  checkPagePrefix(parts[1]);
  checkPagePrefix(parts[0]);
  checkRoundTrip(parts[2]);
  return 0;
}
