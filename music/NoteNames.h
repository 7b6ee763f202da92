// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Ranges.h"

/// The key box entries by pitch class, written with flats.
extern const std::array<const char*, kKeyCount> KeyNames;
/// Pitch class names used for MIDI note names, written with sharps.
extern const std::array<const char*, kKeyCount> NoteNames;

/// The name of a MIDI note with its octave, (note div 12) - 2: 60 is "C3".
std::string FormatNoteName(uint8_t note);
