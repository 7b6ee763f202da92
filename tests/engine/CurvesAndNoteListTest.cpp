// SPDX-License-Identifier: MIT
// The curves that map pen inputs to controller values, and the note list a
// scale and key give within the note limits.
#include "engine/MapValue.h"

#include <gtest/gtest.h>

#include <array>

#include "engine/ScaleNoteList.h"
#include "model/Configuration.h"

namespace {
using Notes = std::vector<uint8_t>;

Notes Build(uint16_t scale, uint8_t key, uint8_t minNote, uint8_t maxNote) {
  ScaleNoteList list;
  list.Build(scale, key, minNote, maxNote);
  return list.Notes();
}

constexpr std::array<uint8_t, 9> kInputs = {0, 1, 16, 32, 64, 96, 112, 126, 127};

struct CurveRow {
  uint16_t curve;
  uint8_t min, max;
  std::array<uint8_t, 9> expected;
};

// The outputs the curves were tuned to give, for three ranges each.
const CurveRow kTellingValues[] = {{Exponential, 0, 127, {0, 0, 1, 3, 10, 37, 70, 122, 126}},
                                   {Exponential, 127, 0, {127, 122, 67, 36, 10, 2, 1, 0, 0}},
                                   {Exponential, 20, 100, {20, 20, 21, 21, 26, 43, 64, 96, 99}},
                                   {Linear, 0, 127, {0, 1, 16, 32, 64, 96, 112, 126, 127}},
                                   {Linear, 127, 0, {127, 126, 111, 95, 63, 31, 15, 1, 0}},
                                   {Linear, 20, 100, {20, 20, 30, 40, 60, 80, 90, 99, 100}},
                                   {Logarithmic, 0, 127, {0, 4, 59, 91, 117, 125, 126, 127, 127}},
                                   {Logarithmic, 127, 0, {126, 122, 67, 36, 10, 2, 1, 0, 0}},
                                   {Logarithmic, 20, 100, {20, 23, 57, 78, 94, 99, 100, 100, 100}},
                                   {SCurve, 0, 127, {0, 0, 4, 18, 63, 109, 123, 127, 127}},
                                   {SCurve, 127, 0, {127, 127, 122, 108, 63, 18, 4, 0, 0}},
                                   {SCurve, 20, 100, {20, 20, 23, 31, 60, 89, 97, 100, 100}}};
}  // namespace

TEST(MapValue, GivesTheTunedValuesForEveryCurveAndRange) {
  for (const CurveRow& row : kTellingValues) {
    for (size_t i = 0; i < kInputs.size(); ++i) {
      EXPECT_EQ(MapValue(kInputs[i], row.min, row.max, row.curve), row.expected[i])
          << "curve " << row.curve << " range " << int(row.min) << ".." << int(row.max) << " input " << int(kInputs[i]);
    }
  }
}

TEST(MapValue, FlatRangeGivesItsValueForEveryInputAndCurve) {
  for (uint16_t curve = 0; curve < kResponseCurveCount; ++curve) {
    for (int v = 0; v <= 127; ++v) {
      for (uint8_t level : {0, 5, 64, 127}) {
        ASSERT_EQ(MapValue(static_cast<uint8_t>(v), level, level, curve), level) << "curve " << curve << " v " << v;
      }
    }
  }
}

TEST(MapValue, UnknownCurveCodesGiveZero) {
  for (uint16_t curve : {4, 5, 255, 65535}) {
    EXPECT_EQ(MapValue(64, 0, 127, curve), 0);
    EXPECT_EQ(MapValue(127, 20, 100, curve), 0);
  }
}

TEST(MapValue, InputsAboveTheRangeOverflowIntoTheLowByte) {
  // Pressures above 1023 reach the curves as inputs above 127; the linear curve
  // then runs past its maximum and only the low byte is kept.
  EXPECT_EQ(MapValue(255, 0, 127, Linear), 255);
  EXPECT_EQ(MapValue(255, 20, 100, Linear), 181);
}

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
