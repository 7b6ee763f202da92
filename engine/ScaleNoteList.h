// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

/// The playable notes of a configuration: its scale walked upwards from the
/// key's pitch class in the lowest octave, kept within the note range.
class ScaleNoteList {
 public:
  void Build(uint16_t scale, uint8_t key, uint8_t minNote, uint8_t maxNote);
  uint8_t GetCount() const { return static_cast<uint8_t>(notes_.size()); }
  uint8_t GetAt(uint8_t index) const { return notes_.at(index); }
  const std::vector<uint8_t>& Notes() const { return notes_; }

 private:
  std::vector<uint8_t> notes_;
};
