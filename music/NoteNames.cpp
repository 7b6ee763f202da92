// SPDX-License-Identifier: MIT
#include "music/NoteNames.h"

const std::array<const char*, kKeyCount> KeyNames =
    std::to_array<const char*>({"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"});

const std::array<const char*, kKeyCount> NoteNames =
    std::to_array<const char*>({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"});

std::string FormatNoteName(uint8_t note) {
  return std::string(NoteNames[note % kKeyCount]) + std::to_string(note / kKeyCount - 2);
}
