#include "ui/panel.h"

#include <limits>

namespace {

// An input level of 32768 (16-bit full scale) fills a meter. Every timer tick lowers a
// level above the decay step by that step and drops a lower one to 0, so a meter falls from
// full to dark in about half a second.
constexpr int32_t kFullScale = 32768;
constexpr int32_t kDecayPerTick = 8000;

}  // namespace

int32_t meterLitHeight(int32_t level, int32_t meterHeight) {
  if (level <= 0 || meterHeight <= 0) {
    return 0;
  }
  // Float inputs peak at up to twice full scale; they fill the meter and no more.
  if (level >= kFullScale) {
    return meterHeight;
  }
  // 64-bit product: a tall meter times a loud level overflows 32 bits.
  return static_cast<int32_t>(static_cast<int64_t>(meterHeight) * level / kFullScale);
}

int32_t decayedLevel(int32_t stored, int32_t readLevel) {
  // The decision uses the level the meter showed; the subtraction acts on the stored value,
  // which the audio thread may have raised in between.
  if (readLevel > kDecayPerTick && stored > kDecayPerTick) {
    return stored - kDecayPerTick;
  }
  return 0;
}

int32_t panelPosition(int32_t origin, int64_t offset) {
  // Origins and rectangles come from the settings file as any 32-bit values: their sum is
  // taken in 64 bits and held to the range a device context takes.
  const int64_t sum = static_cast<int64_t>(origin) + offset;
  constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
  constexpr int64_t highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(sum < lowest ? lowest : sum > highest ? highest : sum);
}
