// SPDX-License-Identifier: MIT
#include "engine/ScaleNoteList.h"

#include "music/ScaleTable.h"

void ScaleNoteList::Build(uint16_t scale, uint8_t key, uint8_t minNote, uint8_t maxNote) {
  notes_.clear();
  // Only a damaged configuration file could name a scale beyond the table;
  // such a scale plays nothing rather than reading past the table.
  if (scale >= kScaleCount) return;

  const auto& steps = ScaleTable[scale].steps;
  uint8_t n = key;
  uint8_t i = 0;
  // Every scale has a non-zero first step, so the walk always reaches 128.
  while (n < kNoteCount) {
    if (n >= minNote && n <= maxNote) notes_.push_back(n);
    if (steps[i] == 0) i = 0;
    n = static_cast<uint8_t>(n + steps[i]);
    ++i;
  }
}
