#include "report/report_format.h"

#include <cstdio>

#include "midi/control_map.h"

std::string reportControlName(const char* word, int index) {
  char name[64];
  // Numbers and channels are written 1-based.
  const int length = index < kAnyChannelCount
                         ? std::snprintf(name, sizeof name, kAnyChannelNameFormat, word, index + 1)
                         : std::snprintf(name, sizeof name, kChannelNameFormat, word,
                                         numberOfIndex(index) + 1, channelOfIndex(index));
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string_view withoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') {
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
  }
  return line;
}
