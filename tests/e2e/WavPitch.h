// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

/// What a rendered WAV file sounds like, roughly: its loudest pitch among the
/// notes of a piano keyboard, and how loud the file is at its peak.
struct WavPitch {
  int loudestNote = -1;  ///< MIDI note whose fundamental carries the most energy
  double peak = 0;       ///< largest sample, 1.0 = full scale

  /// Reads a PCM (16 or 32 bit) or float WAV file; nothing if it is not one.
  static std::optional<WavPitch> Analyse(const std::string& path);
};
