// SPDX-License-Identifier: MIT
#include "engine/MidiPort.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

TEST(MidiPort, FailedCloseKeepsTheOldPort) {
  EngineRig rig;
  rig.midi.failClose = true;
  const int opens = rig.midi.opens;
  rig.engine.SelectPort(0);
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"Unable to close the previous MIDI Out device!"}));
  EXPECT_EQ(rig.midi.opens, opens);
  EXPECT_TRUE(rig.engine.PortOpen());
}

TEST(MidiPort, OneErrorBoxAtATime) {
  EngineRig rig;
  rig.midi.failSends = true;
  MidiPort port(rig.midi, rig.messages, rig.display);
  // While the box is open its modal loop keeps the program running; what
  // fails meanwhile shows no box of its own.
  int nested = 0;
  rig.messages.onShow = [&] {
    ++nested;
    EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 2));
  };
  EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 1));
  EXPECT_EQ(nested, 1);
  EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 1));  // the next failure has its own box again
  EXPECT_EQ(rig.messages.shown.size(), 2u);
}

// At a band change the expression rows stay where they are, and so do their
// displays; the other assigned rows return to rest in row order.
TEST(MidiPort, BandChangeResetKeepsTheExpressionRows) {
  Configuration assigned = DefaultConfiguration();
  assigned.cc[kInputX] = 7;
  assigned.cc[kInputY] = kPitchBendController;
  assigned.cc[kInputPressure] = kChannelPressureController;
  assigned.cc[kInputTilt] = 11;
  assigned.min = {5, 90, 90, 127, 0, 0, 0, 0};
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.OpenMidiOut(0, false);
  port.ResetControllers(assigned, ControllerReset::KeepExpression);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 07 05", "B0 0B 7F"}));
  EXPECT_EQ(rig.display.TakeTexts(), (Strings{"1043 ---", "1046 ---", "1047 ---", "1082 ---", "1083 ---", "1084 ---"}));
}

// A row's value as pitch bend keeps `out` as the upper seven bits, from the
// lowest bend through the centre to the highest; as channel pressure it is the
// pressure. Values above 127 (inputs beyond the usual ranges) count as 127.
TEST(MidiPort, RowValuesBecomeBendPressureOrControlChange) {
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.OpenMidiOut(0, false);
  const struct {
    uint8_t controller, out;
    const char* sent;
  } cases[] = {{kPitchBendController, 0, "E0 00 00"},         {kPitchBendController, 63, "E0 00 3F"},
               {kPitchBendController, 64, "E0 00 40"},        {kPitchBendController, 65, "E0 02 41"},
               {kPitchBendController, 127, "E0 7F 7F"},       {kPitchBendController, 200, "E0 7F 7F"},
               {kChannelPressureController, 0, "D0 00 00"},   {kChannelPressureController, 99, "D0 63 00"},
               {kChannelPressureController, 200, "D0 7F 00"}, {7, 99, "B0 07 63"}};
  for (const auto& test : cases) {
    port.SendControllerValue(0, test.controller, test.out);
    EXPECT_EQ(rig.midi.TakeSent(), Strings{test.sent}) << int(test.controller) << " " << int(test.out);
  }
  // Every step of the row moves the bend up.
  int previous = -1;
  for (int out = 0; out <= 127; ++out) {
    port.SendControllerValue(0, kPitchBendController, static_cast<uint8_t>(out));
    unsigned status, fine, coarse;
    ASSERT_EQ(std::sscanf(rig.midi.TakeSent().at(0).c_str(), "%x %x %x", &status, &fine, &coarse), 3);
    EXPECT_EQ(coarse, unsigned(out));
    EXPECT_GT(int(coarse * 128 + fine), previous);
    previous = int(coarse * 128 + fine);
  }
}
