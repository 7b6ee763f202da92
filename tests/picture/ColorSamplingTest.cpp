// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "picture/ColorSampling.h"

namespace {

TEST(RgbToHsv, MatchesTheTunedSinglePrecisionStepsAndStaysInRange) {
  const struct {
    uint8_t r, g, b;
    Hsv hsv;
  } cases[] = {
      {255, 0, 0, {0, 127, 127}},    {0, 255, 0, {42, 127, 127}},    {0, 0, 255, {84, 127, 127}},
      {255, 255, 0, {21, 127, 127}}, {255, 0, 255, {105, 127, 127}}, {0, 255, 255, {63, 127, 127}},
      {128, 128, 128, {0, 0, 63}},   {255, 255, 255, {0, 0, 127}},   {0, 0, 0, {0, 0, 0}},
      {255, 128, 0, {10, 127, 127}}, {10, 20, 30, {74, 84, 14}},     {254, 255, 255, {63, 0, 127}},
      {255, 0, 1, {126, 127, 127}},  // hue just below a full turn stays below 127
  };
  for (const auto& c : cases)
    EXPECT_EQ(RgbToHsv(c.r, c.g, c.b), c.hsv) << int{c.r} << "," << int{c.g} << "," << int{c.b};
  for (int r = 0; r < 256; r += 3) {
    for (int g = 0; g < 256; g += 5) {
      for (int b = 0; b < 256; b += 7) {
        const Hsv hsv = RgbToHsv(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
        ASSERT_TRUE(hsv.h <= 126 && hsv.s <= 127 && hsv.v <= 127) << r << "," << g << "," << b;
      }
    }
  }
}

}  // namespace
