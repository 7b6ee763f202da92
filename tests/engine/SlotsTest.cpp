// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

TEST(Slots, PasteBeforeAnyCopyGivesAnAllZeroConfiguration) {
  EngineRig rig;
  rig.engine.SelectConfiguration(4);
  rig.midi.TakeSent();
  rig.engine.OnPaste();
  EXPECT_EQ(rig.engine.CurrentConfiguration(), Configuration{});
  EXPECT_FALSE(rig.engine.HasPicture(4));
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"C0 00 00"}));  // programme 0 on channel 1
  EXPECT_EQ(rig.engine.SlotConfiguration(0), DefaultConfiguration());
}

TEST(Slots, PasteResetsTheOldControllersFirst) {
  EngineRig rig;
  rig.engine.SelectConfiguration(1);
  rig.engine.OnCopy();
  rig.engine.SelectConfiguration(0);
  rig.engine.SelectController(kInputPressure, 74);
  rig.engine.SetControllerMinimum(kInputPressure, 9);
  rig.midi.TakeSent();
  rig.engine.OnPaste();
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 4A 09", "C0 6B 00"}));
}

// What a reset sends is in the golden scripts; a "No" changes nothing, a "Yes"
// all twelve slots, not only the one shown.
TEST(Slots, ResetAsksFirstAndResetsAllTwelve) {
  EngineRig rig;
  rig.engine.SelectConfiguration(2);
  rig.engine.SelectController(kInputX, 1);
  rig.engine.SelectConfiguration(7);
  rig.engine.SelectChannel(2);
  rig.midi.TakeSent();

  rig.messages.answer = false;
  rig.engine.OnReset();
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"Are you sure you want to reset the settings ?"}));
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.engine.CurrentConfiguration().midiChannel, 2);

  rig.messages.answer = true;
  rig.engine.OnReset();
  EXPECT_EQ(rig.engine.CurrentSlot(), 7);
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(rig.engine.SlotConfiguration(slot), DefaultConfiguration());
}

TEST(Slots, NoteLimitsAreSwappedWhenCrossed) {
  EngineRig rig;
  rig.engine.SetNoteLimit(NoteLimit::Lower, 90);
  EXPECT_EQ(rig.engine.CurrentConfiguration().minNote, 84);
  EXPECT_EQ(rig.engine.CurrentConfiguration().maxNote, 90);
  rig.engine.SetNoteLimit(NoteLimit::Upper, 40);
  EXPECT_EQ(rig.engine.CurrentConfiguration().minNote, 40);
  EXPECT_EQ(rig.engine.CurrentConfiguration().maxNote, 84);
  rig.engine.SetNoteLimit(NoteLimit::Lower, 84);
  EXPECT_EQ(rig.engine.Notes().NoteList().Notes(), std::vector<uint8_t>{});  // 84 is not in the scale
}
