// SPDX-License-Identifier: MIT
#include "tablet/TabletScaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

// The engine scales a packet back into the area as area × x ÷ screen; every
// area pixel must come back as itself, and the edges must reach the screen's.
TEST(TabletScaling, AreaPixelsSurviveTheEnginesScalingBack) {
  struct Sizes {
    int32_t area, screen;
  };
  const Sizes sizes[] = {{546, 1920}, {497, 1080}, {546, 800}, {800, 800}, {100, 7680}, {2, 3}};
  for (const Sizes& s : sizes) {
    SCOPED_TRACE(testing::Message() << s.area << " onto " << s.screen);
    EXPECT_EQ(MapAreaToScreen(0, s.area, s.screen), 0);
    EXPECT_EQ(MapAreaToScreen(s.area - 1, s.area, s.screen), s.screen - 1);
    for (int32_t pixel = 0; pixel < s.area; ++pixel) {
      const int32_t x = MapAreaToScreen(pixel + 0.75, s.area, s.screen);
      ASSERT_GE(x, 0);
      ASSERT_LT(x, s.screen);
      ASSERT_EQ(s.area * x / s.screen, pixel) << "pixel " << pixel;
    }
  }
  // Positions outside the area are held at its edges.
  EXPECT_EQ(MapAreaToScreen(-40.5, 546, 1920), 0);
  EXPECT_EQ(MapAreaToScreen(1e9, 546, 1920), 1919);
  EXPECT_EQ(MapAreaToScreen(899, 900, 600), 599);  // an area wider than the screen
}

TEST(TabletScaling, DeviceAxesCoverTheScreenAndPressureTheLevels) {
  struct Case {
    int32_t value, minimum, maximum, screen;
    int32_t pixel;
    uint32_t pressure;
  };
  const Case cases[] = {{0, 0, 44800, 1920, 0, 0},           {44800, 0, 44800, 1920, 1919, 1023},
                        {22400, 0, 44800, 1920, 960, 512},   {-5, 0, 44800, 1920, 0, 0},
                        {50000, 0, 44800, 1920, 1919, 1023}, {-100, -100, 100, 1080, 0, 0},
                        {100, -100, 100, 1080, 1079, 1023},  {7, 7, 7, 1920, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " in " << c.minimum << ".." << c.maximum);
    EXPECT_EQ(MapAxisToScreen(c.value, c.minimum, c.maximum, c.screen), c.pixel);
    EXPECT_EQ(ScalePressure(c.value, c.minimum, c.maximum), c.pressure);
  }
  const std::pair<double, uint32_t> fractions[] = {{0.0, 0}, {0.5, 512}, {1.0, 1023}, {1.7, 1023}, {-0.2, 0}};
  for (const auto& [fraction, level] : fractions) EXPECT_EQ(ScalePressure(fraction), level) << fraction;
}

}  // namespace
