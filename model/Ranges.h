// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// How many of each thing a preset can name. The tables, the file reader, the
// window's lists, the engine's setters and quill-replay all take their sizes
// from here; an index is valid when it is below its count.

inline constexpr int kSlotCount = 12;                       ///< configurations, chosen with F1 to F12
inline constexpr int kControllerInputCount = 8;             ///< pen inputs (ControllerInput), one controller row each
inline constexpr int kChannelCount = 16;                    ///< MIDI channels 0..15, shown as 1..16
inline constexpr int kNoteCount = 128;                      ///< MIDI notes 0..127, the range of the note limits
inline constexpr int kControllerValueCount = 128;           ///< values 0..127 of a minimum or maximum field
inline constexpr int kProgramCount = 128;                   ///< MIDI programmes 0..127
inline constexpr int kPatchEntryCount = kProgramCount + 1;  ///< entries of the patch box: the programmes, then none
inline constexpr int kControllerNumberCount = 128;          ///< control change numbers 0..127
/// Entries of a controller box: the control change numbers, none, pitch bend
/// and channel pressure.
inline constexpr int kControllerEntryCount = kControllerNumberCount + 3;
inline constexpr int kScaleCount = 270;        ///< entries of ScaleTable and the scale box
inline constexpr int kKeyCount = 12;           ///< pitch classes, the entries of the key box
inline constexpr int kChordCount = 24;         ///< entries of ChordTable and the chord box
inline constexpr int kNoteDirectionCount = 2;  ///< entries of the note direction box: vertically, horizontally
inline constexpr int kResponseCurveCount = 4;  ///< ResponseCurve codes, the steps of a curve button
inline constexpr int kColorModelCount = 2;     ///< colour models: the RGB (0) and HSV (1) buttons
inline constexpr int kPortNumberCount = 256;   ///< port numbers a preset can store (a byte)
inline constexpr int kGlideModeCount = 3;      ///< entries of the glide box: off, slide, glide
inline constexpr int kLowestBendRange = 1;     ///< the narrowest bend range a preset can ask for, in semitones
inline constexpr int kHighestBendRange = 96;   ///< the widest, in semitones
inline constexpr int kDefaultBendRange = 48;   ///< the bend range of a preset that does not say, in semitones

/// True when `index` names an entry of a list with `count` entries.
constexpr bool IsEntryOf(int64_t index, int count) { return index >= 0 && index < count; }

/// The entries of the port box for a system that lists `devices` destinations:
/// a preset stores its port in a byte, and only the count's low 8 bits are used.
constexpr int ListedPortCount(unsigned devices) { return static_cast<int>(devices % kPortNumberCount); }
