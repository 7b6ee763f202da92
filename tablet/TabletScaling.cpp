// SPDX-License-Identifier: MIT
#include "tablet/TabletScaling.h"

#include <algorithm>
#include <cmath>

int32_t MapAxisToScreen(int32_t value, int32_t minimum, int32_t maximum, int32_t screenSize) {
  if (screenSize <= 1 || maximum <= minimum) return 0;
  const int64_t offset = std::clamp<int64_t>(int64_t{value} - minimum, 0, int64_t{maximum} - minimum);
  const int64_t span = int64_t{maximum} - minimum;
  // Rounded to the nearest pixel.
  return static_cast<int32_t>((offset * (screenSize - 1) + span / 2) / span);
}

int32_t MapAreaToScreen(double position, int32_t areaSize, int32_t screenSize) {
  if (screenSize <= 1 || areaSize <= 1) return 0;
  if (!std::isfinite(position)) position = 0.0;
  const int64_t pixel = static_cast<int64_t>(std::floor(std::clamp(position, 0.0, double(areaSize - 1))));
  // Rounding up keeps areaSize × x ÷ screenSize from falling below the pixel;
  // it stays below pixel + 1 as long as the screen is at least as wide as the area.
  const int64_t x = (pixel * (screenSize - 1) + areaSize - 2) / (areaSize - 1);
  return static_cast<int32_t>(std::min<int64_t>(x, screenSize - 1));
}

uint32_t ScalePressure(int32_t value, int32_t minimum, int32_t maximum) {
  if (maximum <= minimum) return 0;
  const int64_t offset = std::clamp<int64_t>(int64_t{value} - minimum, 0, int64_t{maximum} - minimum);
  const int64_t span = int64_t{maximum} - minimum;
  return static_cast<uint32_t>((offset * kMaxPacketPressure + span / 2) / span);
}

uint32_t ScalePressure(double fraction) {
  if (!std::isfinite(fraction)) return 0;
  return static_cast<uint32_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * kMaxPacketPressure));
}
