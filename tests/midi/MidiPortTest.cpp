// SPDX-License-Identifier: MIT
#include "engine/MidiPort.h"

#include <gtest/gtest.h>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

TEST(MidiPort, PacksStatusChannelAndData) {
  EXPECT_EQ(PackShortMessage(kControlChange, 2, 7, 100), 0x6407B2u);
  EXPECT_EQ(PackShortMessage(kProgramChange, 15, 127, 0), 0x007FCFu);
  // Channels keep 4 bits; data bytes never reach the status range.
  EXPECT_EQ(PackShortMessage(kNoteOn, 0x13, 0x80, 0xFF), 0x7F7F93u);
}

TEST(MidiPort, WithoutDevicesEverySendReportsAnError) {
  RecordingMidi midi(0);
  RecordingMessages messages;
  RecordingDisplay display;
  FixedToolNames tools;
  CopyBuffer copyBuffer;
  PerformanceEngine engine(midi, messages, display, tools, copyBuffer);
  engine.Start();
  EXPECT_EQ(messages.TakeShown(), (Strings{"Unable to open the selected MIDI Out device!", "MIDI error"}));
  EXPECT_EQ(messages.icons[0], MessageIcon::Warning);
  engine.SelectController(kInputX, 1);
  engine.SetControllerMode(true);
  TabletPacket packet;
  packet.x = 500;
  engine.ProcessPacket(packet, PacketGeometry{});
  EXPECT_EQ(messages.TakeShown(), (Strings{"MIDI error"}));
}

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

TEST(MidiPort, ResetControllersBlanksEveryDisplay) {
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.ResetControllers(rig.engine.CurrentConfiguration());
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.display.TakeTexts(),
            (Strings{"1043 ---", "1044 ---", "1045 ---", "1046 ---", "1047 ---", "1082 ---", "1083 ---", "1084 ---"}));
}
