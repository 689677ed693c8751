#include "ui/panel.h"

#include <limits>

int32_t panelPosition(int32_t origin, int64_t offset) {
  // Origins and rectangles come from the settings file as any 32-bit values: their sum is
  // taken in 64 bits and held to the range a device context takes.
  const int64_t sum = static_cast<int64_t>(origin) + offset;
  constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
  constexpr int64_t highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(sum < lowest ? lowest : sum > highest ? highest : sum);
}
