// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

class Picture;

/// Hue, saturation and value, each 0..127.
struct Hsv {
  uint8_t h = 0, s = 0, v = 0;
  bool operator==(const Hsv&) const = default;
};

/// Converts 8-bit red, green and blue to hue, saturation and value, each 0..127
/// (hue 0..126): channels and spread in single precision, the rest in double,
/// each result truncated, as the colour controllers were tuned with.
Hsv RgbToHsv(uint8_t red, uint8_t green, uint8_t blue);

/// The three colour inputs (0..127) under the pen at the normalised position
/// (nx, ny) of a non-empty picture: red, green and blue halved for colour model
/// 0, otherwise hue, saturation and value.
std::array<uint8_t, 3> SampleColor(const Picture& picture, float nx, float ny, uint16_t colorModel);
