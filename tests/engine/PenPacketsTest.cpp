// SPDX-License-Identifier: MIT
// Pen packets: which notes the bands play, with what velocity, and what a
// packet that changes nothing does.
#include <gtest/gtest.h>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

namespace {
// Screen rows (1080 high) inside the bands of the default note list, ten notes
// 61 62 66 67 71 73 74 78 79 83 from the bottom edge up.
constexpr int32_t kBandOf61 = 1070;
constexpr int32_t kBandOf62 = 900;
}  // namespace

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

TEST(ProcessPacket, RepeatedPacketOnlyAdvancesTheCounter) {
  EngineRig rig;  // every pen input sends a controller, in controller mode
  for (int input = 0; input < kControllerInputCount; ++input) rig.engine.SelectController(input, input + 1);
  rig.engine.SetControllerMode(true);
  rig.Packet(1, 0, 100, 100, 300, 450, 600, 5);
  rig.midi.TakeSent();
  rig.display.TakeTexts();
  const int repaints = rig.display.areaRepaints;

  rig.Packet(1, 0, 100, 100, 300, 450, 600, 5);
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.display.areaRepaints, repaints);
  EXPECT_EQ(rig.display.TakeTexts(), (Strings{"1017 2"}));
  EXPECT_EQ(rig.engine.PacketCount(), 2u);
}
