// Meter arithmetic: lit height from a level, and the decay per timer tick.
#include "ui/panel.h"

#include <gtest/gtest.h>

namespace {

TEST(MeterTest, LitHeightScalesAndNeverLeavesTheBitmap) {
  EXPECT_EQ(meterLitHeight(16384, 100), 50);
  EXPECT_EQ(meterLitHeight(0, 100), 0);
  EXPECT_EQ(meterLitHeight(32767, 100), 99);
  EXPECT_EQ(meterLitHeight(32768, 100), 100);
  EXPECT_EQ(meterLitHeight(65536, 100), 100);  // float inputs reach twice full scale
  EXPECT_EQ(meterLitHeight(2147483647, 100), 100);
  EXPECT_EQ(meterLitHeight(-5, 100), 0);
  EXPECT_EQ(meterLitHeight(32000, 100000), 97656);  // no 32-bit overflow on tall meters
  EXPECT_EQ(meterLitHeight(16384, 0), 0);
}

TEST(MeterTest, FullScaleDecaysToZeroInFiveTicks) {
  int32_t level = 32768;
  std::vector<int32_t> seen;
  while (level != 0) {
    level = decayedLevel(level, level);
    seen.push_back(level);
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{24768, 16768, 8768, 768, 0}));
  // A peak that arrived after the read is lowered from its own value.
  EXPECT_EQ(decayedLevel(30000, 9000), 22000);
  EXPECT_EQ(decayedLevel(30000, 8000), 0);
  EXPECT_EQ(decayedLevel(-2147483647 - 1, 9000), 0);
}

}  // namespace
