// SPDX-License-Identifier: MIT
#include "engine/ScaleNoteList.h"

#include <gtest/gtest.h>

using Notes = std::vector<uint8_t>;

namespace {
Notes Build(uint16_t scale, uint8_t key, uint8_t minNote, uint8_t maxNote) {
  ScaleNoteList list;
  list.Build(scale, key, minNote, maxNote);
  return list.Notes();
}
}  // namespace

TEST(ScaleNoteList, WalksTheScaleFromTheKeyWithinTheRange) {
  EXPECT_EQ(Build(137, 6, 60, 84), (Notes{61, 62, 66, 67, 71, 73, 74, 78, 79, 83}));  // the defaults
  EXPECT_EQ(Build(173, 0, 60, 72), (Notes{60, 62, 64, 65, 67, 69, 71, 72}));          // C major
}

TEST(ScaleNoteList, ChromaticAndWholeToneReachTheTop) {
  Notes chromatic;
  for (int n = 5; n <= 127; ++n) chromatic.push_back(static_cast<uint8_t>(n));
  EXPECT_EQ(Build(72, 5, 0, 127), chromatic);

  const Notes wholeTone = Build(269, 11, 0, 127);
  ASSERT_FALSE(wholeTone.empty());
  EXPECT_EQ(wholeTone.front(), 11);
  EXPECT_EQ(wholeTone.back(), 127);
  EXPECT_EQ(wholeTone.size(), 59u);
}

TEST(ScaleNoteList, EmptyWhenTheRangeHoldsNoNoteOfTheScale) {
  EXPECT_TRUE(Build(137, 6, 84, 60).empty());     // limits the wrong way round
  EXPECT_TRUE(Build(137, 6, 63, 65).empty());     // no scale note inside
  EXPECT_EQ(Build(137, 6, 66, 66), (Notes{66}));  // a one-note range
}

TEST(ScaleNoteList, OutOfTableScaleOrKeyPlaysNothing) {
  EXPECT_TRUE(Build(270, 0, 0, 127).empty());
  EXPECT_TRUE(Build(65535, 0, 0, 127).empty());
  EXPECT_TRUE(Build(0, 200, 0, 127).empty());
}
