// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "model/Ranges.h"

/// Where each of the 128 keys lies on the keyboard picture. The picture and the
/// key dialog's hit testing both use these numbers, so the keys drawn are the
/// keys found under the pointer.
namespace KeyboardGeometry {
inline constexpr int kWidth = 1350;         ///< 75 white keys of 18 pixels
inline constexpr int kHeight = 90;          ///< picture rows
inline constexpr int kWhiteKeyWidth = 18;   ///< pixels per white key
inline constexpr int kBandHeight = 13;      ///< rows 0..12: the orange label band
inline constexpr int kBlackKeyBottom = 58;  ///< last row of the black keys' part

/// Width of each pitch class's strip along the black-key part of the picture,
/// indexed by note number modulo 12 (C, C#, D, ... B); the twelve add up to
/// seven white keys.
inline constexpr std::array<int, 12> KeyStripWidths = {12, 14, 4, 14, 10, 12, 14, 4, 14, 4, 14, 10};

/// Pixels per octave along the picture.
inline constexpr int kOctaveWidth = 7 * kWhiteKeyWidth;

/// Column where the strip of `key` starts: the sum of the strip widths of all
/// lower keys (offset(12) = 126, offset(60) = 630). The last key, G8, has no
/// black key after it, so its white key also covers the picture's last columns.
constexpr int KeyStripOffset(int key) {
  int offset = (key / 12) * kOctaveWidth;
  for (int i = 0; i < key % 12; ++i) offset += KeyStripWidths[i];
  return offset;
}

/// Pitch classes of the white keys, in order along an octave.
inline constexpr std::array<int, 7> WhiteKeyPitch = {0, 2, 4, 5, 7, 9, 11};

/// True for the black keys (C#, D#, F#, G#, A#).
constexpr bool IsBlackKey(int key) {
  const int pc = key % 12;
  return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}
}  // namespace KeyboardGeometry
