// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "model/Ranges.h"

/// One built-in chord: its shown name (slot 0) and further symbols ("*" = empty
/// slot), and its notes as rising distances in semitones above the root.
struct Chord {
  std::array<const char*, 6> names;
  uint8_t count;                     ///< notes in the chord, 2..6
  std::array<uint8_t, 7> intervals;  ///< the first `count` are used
};

/// The 24 chords in their fixed order; the index is what configurations store.
extern const std::array<Chord, kChordCount> ChordTable;
