// Positions on the window from settings values of any size: origin plus offset, held to the
// 32-bit range (the sanitizer build reports any signed overflow on the way).
#include <cstdint>
#include <limits>

#include "ui/panel.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(PanelPositionTest, OrdinaryValuesAddUp) {
  EXPECT_EQ(panelPosition(10, 20), 30);
  EXPECT_EQ(panelPosition(-5, 3), -2);
  EXPECT_EQ(panelPosition(0, -1), -1);  // the frame left of a panel at 0
}

TEST(PanelPositionTest, ExtremeSettingsAreHeldAtTheEdgesOfTheRange) {
  EXPECT_EQ(panelPosition(kMax, 1), kMax);
  EXPECT_EQ(panelPosition(kMax, kMax), kMax);
  EXPECT_EQ(panelPosition(kMin, -1), kMin);  // a frame one pixel left of the lowest origin
  EXPECT_EQ(panelPosition(kMin, kMin), kMin);
  EXPECT_EQ(panelPosition(kMax, kMin), -1);
  EXPECT_EQ(panelPosition(kMax - 1, 1), kMax);
  EXPECT_EQ(panelPosition(100, int64_t{kMax} + 1), kMax);  // a frame right of a full width
}

}  // namespace
