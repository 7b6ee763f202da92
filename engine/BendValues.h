// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// The 14-bit pitch bends Quill sends: a row's value as a bend, the bend that
// puts a sounding note on another pitch, and the pitch a gliding pen plays.

inline constexpr int kCentreBend = 8192;    ///< the unbent pitch
inline constexpr int kHighestBend = 16383;  ///< the highest bend, a full range up

/// A row's mapped value (0..127, more is 127) as a bend: the upper seven bits,
/// and lower ones that rise above the centre so that 127 reaches 16383.
uint16_t RowBend(uint8_t out);

/// The bend that plays `pitch` (in semitones, fractions allowed) on a note
/// started as `startedNote` when a full bend spans `range` semitones:
/// 8192 + round(8192 × (pitch − startedNote) ÷ range), halves away from zero,
/// kept within 0..16383.
uint16_t BendForPitch(double pitch, int startedNote, int range);

/// `bend` moved by `offset` (a bend row's value less the centre), kept within 0..16383.
uint16_t OffsetBend(int bend, int offset);

/// The pitch of a pen at `f` (0..1) across band `index` of `notes`: the band's
/// note at its centre, rising or falling linearly towards the neighbouring
/// band's note, which it reaches at that band's centre. The outer halves of
/// the first and last bands play their note.
double GlidePitch(const std::vector<uint8_t>& notes, uint8_t index, float f);
