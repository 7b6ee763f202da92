// SPDX-License-Identifier: MIT
#include "engine/BendValues.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr uint8_t kHighestDataByte = 127;
constexpr uint8_t kCentreCoarse = kCentreBend >> 7;
}  // namespace

uint16_t RowBend(uint8_t out) {
  const uint8_t coarse = std::min(out, kHighestDataByte);
  // Below the centre the lower seven bits are 0; above it they rise with the
  // upper ones, so that 127 reaches the highest bend instead of stopping 127
  // steps short of it (a wide bend range would then miss its top by most of a
  // semitone).
  int fine = 0;
  if (coarse > kCentreCoarse) {
    constexpr int kUpperSteps = kHighestDataByte - kCentreCoarse;
    fine = ((coarse - kCentreCoarse) * kHighestDataByte + kUpperSteps / 2) / kUpperSteps;
  }
  return static_cast<uint16_t>(coarse << 7 | fine);
}

uint16_t BendForPitch(double pitch, int startedNote, int range) {
  // Halves away from zero; a range below 1 (no preset has one) counts as 1.
  const double steps = std::round(8192.0 * (pitch - startedNote) / std::max(range, 1));
  return static_cast<uint16_t>(std::clamp(kCentreBend + steps, 0.0, double{kHighestBend}));
}

uint16_t OffsetBend(int bend, int offset) { return static_cast<uint16_t>(std::clamp(bend + offset, 0, kHighestBend)); }

double GlidePitch(const std::vector<uint8_t>& notes, uint8_t index, float f) {
  const double note = notes[index];
  const double fromCentre = static_cast<double>(f) - 0.5;
  if (f >= 0.5f && index + 1u < notes.size()) return note + (notes[index + 1] - note) * fromCentre;
  if (f < 0.5f && index > 0) return note + (note - notes[index - 1]) * fromCentre;
  return note;
}
