// SPDX-License-Identifier: MIT
#include "picture/ColorSampling.h"

#include "picture/Picture.h"

namespace {

// The index of the pixel under a normalised position along a side of `count`
// pixels, truncated toward zero and kept inside the picture. Positions left of
// or above the picture, and positions that are not numbers, give the first pixel.
int PixelIndex(float fraction, int count) {
  const double position = static_cast<double>(fraction) * static_cast<unsigned>(count);
  if (!(position >= 0.0)) return 0;
  if (position >= static_cast<double>(count)) return count - 1;
  return static_cast<int>(position);
}

}  // namespace

Hsv RgbToHsv(uint8_t red, uint8_t green, uint8_t blue) {
  // The channels, their extremes and the spread between them are single
  // precision; everything after is double, the single-precision 1/360 included.
  // The colour controllers were tuned with exactly these roundings: near a byte
  // boundary a float division or product moves hue or saturation by one step.
  constexpr float kByteToUnit = 0.003921569f;
  constexpr float kDegreesToUnit = 0.0027777778f;
  const float r = red * kByteToUnit;
  const float g = green * kByteToUnit;
  const float b = blue * kByteToUnit;
  const float min = (r < g) ? ((r < b) ? r : b) : ((g < b) ? g : b);
  const float max = (r > g) ? ((r > b) ? r : b) : ((g > b) ? g : b);
  const float delta = max - min;

  double hue = 0.0;
  double saturation = 0.0;
  if (max != 0.0f && delta != 0.0f) {
    saturation = static_cast<double>(delta) / max;
    if (r == max) {
      hue = (static_cast<double>(g) - b) / delta;
    } else if (g == max) {
      hue = (static_cast<double>(b) - r) / delta + 2.0;
    } else {
      hue = (static_cast<double>(r) - g) / delta + 4.0;
    }
    hue *= 60.0;
    if (hue < 0.0) hue += 360.0;
    hue *= static_cast<double>(kDegreesToUnit);
  }
  Hsv hsv;
  hsv.h = static_cast<uint8_t>(hue * 127.0);
  hsv.s = static_cast<uint8_t>(saturation * 127.0);
  hsv.v = static_cast<uint8_t>(static_cast<double>(max) * 127.0);
  return hsv;
}

std::array<uint8_t, 3> SampleColor(const Picture& picture, float nx, float ny, uint16_t colorModel) {
  if (picture.IsEmpty()) return {0, 0, 0};
  const int column = PixelIndex(nx, picture.Width());
  const int row = PixelIndex(ny, picture.Height());
  const uint8_t* pixel = picture.Row(row) + static_cast<size_t>(column) * 3;
  const uint8_t red = pixel[0], green = pixel[1], blue = pixel[2];
  if (colorModel == 0) {
    return {static_cast<uint8_t>(red >> 1), static_cast<uint8_t>(green >> 1), static_cast<uint8_t>(blue >> 1)};
  }
  const Hsv hsv = RgbToHsv(red, green, blue);
  return {hsv.h, hsv.s, hsv.v};
}
