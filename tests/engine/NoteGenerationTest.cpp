// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

namespace {
// Screen rows (1080 high) inside the bands of the default note list, ten notes
// 61 62 66 67 71 73 74 78 79 83 from the bottom edge up.
constexpr int32_t kBandOf61 = 1070;
constexpr int32_t kBandOf62 = 900;
constexpr int32_t kBandOf83 = 10;
}  // namespace

TEST(NoteGeneration, BandChangeStopsResetsThenStarts) {
  EngineRig rig;
  rig.engine.SelectController(kInputX, 7);
  rig.engine.SetControllerMinimum(kInputX, 5);
  rig.engine.SelectController(kInputTilt, 1);
  rig.Packet(1, 1, 960, kBandOf61, 0);
  rig.Packet(1, 1, 960, kBandOf61, 400);  // touching without moving starts nothing
  EXPECT_TRUE(rig.midi.sent.empty());
  rig.Packet(1, 1, 961, kBandOf61 - 1, 400);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"90 3D 32", "B0 0A 3F"}));
  rig.Packet(1, 1, 961, kBandOf62, 400);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3D 00", "B0 07 05", "B0 01 00", "90 3E 32", "B0 0A 3F"}));
  rig.Packet(1, 0, 961, kBandOf62, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3E 00", "B0 07 05", "B0 01 00"}));
  EXPECT_EQ(rig.engine.Notes().LastNote(), kNoNote);
}

TEST(NoteGeneration, VelocityFromPressureOrFixed) {
  EngineRig rig;
  rig.Packet(1, 1, 960, kBandOf61, 0);
  rig.Packet(1, 1, 960, kBandOf62, 7);  // lighter than one velocity step
  EXPECT_EQ(rig.midi.TakeSent()[0], "90 3E 00");
  rig.engine.SetInitialPressure(false);
  rig.engine.SetInitialPosition(false);
  rig.Packet(1, 1, 960, kBandOf61, 7);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3E 00", "90 3D 50"}));
}

TEST(NoteGeneration, EmptyListPlaysAndShowsNothing) {
  EngineRig rig;
  rig.engine.SetNoteLimit(NoteLimit::Lower, 63);
  rig.engine.SetNoteLimit(NoteLimit::Upper, 65);
  rig.Packet(1, 1, 960, 540, 500);
  rig.Packet(1, 1, 960, 100, 500);
  EXPECT_TRUE(rig.midi.sent.empty());
  for (const std::string& text : rig.display.texts) EXPECT_FALSE(text.starts_with("1048"));
}

TEST(NoteGeneration, OtherToolsMoveTheBandsSilently) {
  EngineRig rig;
  rig.Packet(0, 1, 960, kBandOf61, 0);
  rig.Packet(0, 1, 960, kBandOf62, 500);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 0A 3F"}));
  EXPECT_EQ(rig.engine.Notes().LastNote(), 62);
  rig.Packet(0, 1, 960, kBandOf62, 0);
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.engine.Notes().LastNote(), kNoNote);
}

TEST(NoteGeneration, HorizontalDirectionAndEdges) {
  EngineRig rig;
  rig.engine.SelectNoteDirection(1);
  rig.Packet(1, 1, 1919, 540, 0);
  rig.Packet(1, 1, 1919, 545, 300);  // the right edge plays the highest note
  EXPECT_EQ(rig.midi.TakeSent()[0], "90 53 25");
  rig.Packet(1, 1, 0, 545, 300);  // the left edge the lowest
  EXPECT_EQ(rig.midi.TakeSent()[1], "90 3D 25");
}
