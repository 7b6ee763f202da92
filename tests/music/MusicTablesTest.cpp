// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "music/ChordTable.h"
#include "music/GeneralMidiNames.h"
#include "music/NoteNames.h"
#include "music/ScaleTable.h"

TEST(ScaleTable, EveryScaleRepeatsAtTheOctaveWithSmallSteps) {
  std::map<int, int> scalesPerStepCount;
  std::set<std::string> names;
  for (const Scale& scale : ScaleTable) {
    int sum = 0;
    int count = 0;
    bool ended = false;
    for (uint8_t step : scale.steps) {
      if (step == 0) {
        ended = true;
        continue;
      }
      ASSERT_FALSE(ended) << scale.name << ": a step after the end";
      ASSERT_GE(step, 1) << scale.name;
      ASSERT_LE(step, 4) << scale.name;
      sum += step;
      ++count;
    }
    EXPECT_EQ(sum, 12) << scale.name;
    EXPECT_TRUE(names.insert(scale.name).second) << "duplicate name " << scale.name;
    ++scalesPerStepCount[count];
  }
  EXPECT_EQ(scalesPerStepCount, (std::map<int, int>{{5, 23}, {6, 21}, {7, 176}, {8, 48}, {9, 1}, {12, 1}}));
}

// (The entries a fresh configuration shows are checked in the window's tests.)
TEST(ScaleTable, FixedEntriesStayInPlace) {
  EXPECT_STREQ(ScaleTable[0].name, "8 tone Spanish");
  EXPECT_STREQ(ScaleTable[19].name, "Arabian n2");
  EXPECT_STREQ(ScaleTable[72].name, "Chromatic");
  EXPECT_STREQ(ScaleTable[140].name, "Japanese Taishikicho");
  EXPECT_STREQ(ScaleTable[165].name, "Lydian Augmented #6");
  EXPECT_STREQ(ScaleTable[269].name, "Whole Tone");
}

TEST(ChordTable, IntervalsRiseFromTheRoot) {
  std::set<std::string> names;
  for (const Chord& chord : ChordTable) {
    ASSERT_GE(chord.count, 2) << chord.names[0];
    ASSERT_LE(chord.count, 6) << chord.names[0];
    EXPECT_EQ(chord.intervals[0], 0) << chord.names[0];
    for (int i = 1; i < chord.count; ++i) EXPECT_GT(chord.intervals[i], chord.intervals[i - 1]) << chord.names[0];
    for (int i = chord.count; i < 7; ++i) EXPECT_EQ(chord.intervals[i], 0) << chord.names[0];
    EXPECT_LE(chord.intervals[chord.count - 1], 21);
    EXPECT_STRNE(chord.names[1], "*") << chord.names[0] << " has at least one further symbol";
    EXPECT_TRUE(names.insert(chord.names[0]).second);
  }
  EXPECT_STREQ(ChordTable[0].names[0], "major");
  EXPECT_STREQ(ChordTable[0].names[1], "");
  EXPECT_STREQ(ChordTable[3].names[5], "M7(add6)");
  EXPECT_STREQ(ChordTable[10].names[0], "power chord");
  EXPECT_STREQ(ChordTable[23].names[0], "+11");
}

TEST(GeneralMidiNames, LabelsAreNumberedAndPadded) {
  for (int i = 0; i < 128; ++i) {
    const std::string controller = ControllerNames[i];
    const std::string number = std::to_string(i);
    EXPECT_EQ(controller.substr(0, 4), number + std::string(4 - number.size(), ' ')) << controller;
    const std::string patch = PatchNames[i];
    const std::string programme = std::to_string(i + 1);
    if (i == 65) continue;  // the one label written with a single space
    EXPECT_EQ(patch.substr(0, 4), programme + std::string(4 - programme.size(), ' ')) << patch;
  }
  EXPECT_STREQ(PatchNames[0], "1   Acoustic Grand");
  EXPECT_STREQ(PatchNames[65], "66 Alto Sax");
  EXPECT_STREQ(PatchNames[127], "128 Gunshot");
  EXPECT_STREQ(ControllerNames[0], "0   Bank Select (coarse)");
  EXPECT_STREQ(ControllerNames[7], "7   Volume (coarse)");
  EXPECT_STREQ(ControllerNames[127], "127 Poly Operation");
  EXPECT_STREQ(PatchNames[128], "------ None ------");
}

TEST(NoteNames, NamesCarryTheOctaveFromMinusTwo) {
  const std::pair<int, const char*> cases[] = {{0, "C-2"}, {11, "B-2"}, {12, "C-1"}, {24, "C0"}, {59, "B2"},
                                               {60, "C3"}, {69, "A3"},  {3, "D#-2"}, {127, "G8"}};
  for (const auto& [note, name] : cases) EXPECT_EQ(FormatNoteName(static_cast<uint8_t>(note)), name);
  EXPECT_STREQ(KeyNames[3], "Eb");
}
