// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "model/Ranges.h"

/// One built-in scale: its name and its steps in semitones from each degree to
/// the next, starting at the key note; the list ends at the first 0.
struct Scale {
  const char* name;
  std::array<uint8_t, 16> steps;
};

/// The 270 scales in their fixed order; the index is what configurations store.
extern const std::array<Scale, kScaleCount> ScaleTable;
