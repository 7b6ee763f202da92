// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/EngineFakes.h"

using Strings = std::vector<std::string>;

namespace {
constexpr uint32_t kBarrel = 0x2;

// A rig with every pen input assigned to a controller (X 1, Y 2, ... ) over the
// full linear range, in controller mode.
struct ControllerRig : EngineRig {
  ControllerRig() {
    for (int input = 0; input < kControllerInputCount; ++input) engine.SelectController(input, input + 1);
    engine.SetControllerMode(true);
  }
  // The value displays written by the last packets, packet counter left out.
  Strings TakeValues() {
    Strings values;
    for (const std::string& text : display.TakeTexts())
      if (!text.starts_with("1017 ")) values.push_back(text);
    return values;
  }
};
}  // namespace

TEST(ProcessPacket, RepeatedPacketOnlyAdvancesTheCounter) {
  ControllerRig rig;
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

TEST(ProcessPacket, PositionControllersSpanTheScreenEdges) {
  ControllerRig rig;
  rig.Packet(1, 0, 0, 0, 0);
  EXPECT_TRUE(rig.midi.sent.empty()) << "the first packet at the origin does not move the area position";
  rig.Packet(1, 0, 1919, 1079, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 01 7F", "B0 02 7F"}));
  rig.Packet(1, 0, 0, 0, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 01 00", "B0 02 00"}));
  // Y is not inverted: the top edge gives 0.
  rig.Packet(1, 0, 0, 540, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 01 00", "B0 02 3F"}));
}

TEST(ProcessPacket, MovesTooSmallForTheAreaSendNothing) {
  ControllerRig rig;
  rig.Packet(1, 0, 1000, 500, 0);
  rig.midi.TakeSent();
  // 546 / 1920 area pixels per screen pixel: one screen pixel may not move the area position.
  rig.Packet(1, 0, 1001, 500, 0);
  EXPECT_EQ(rig.engine.Pen().areaX, 284);
  EXPECT_TRUE(rig.midi.sent.empty());
}

TEST(ProcessPacket, TiltAndAngleFollowTheirFixedScaling) {
  struct Case {
    int32_t altitude;
    std::string tilt;
  };
  const Case tilts[] = {{900, "126"}, {200, "0"}, {195, "0"}, {194, "255"}, {550, "63"}};
  for (const Case& c : tilts) {
    ControllerRig rig;
    rig.Packet(0, 0, 0, 0, 0, 1, c.altitude);
    EXPECT_EQ(rig.TakeValues()[0], "1046 " + c.tilt) << "altitude " << c.altitude;
  }
  struct AngleCase {
    int32_t azimuth;
    std::string angle;
  };
  const AngleCase angles[] = {{0, "0"}, {15, "1"}, {1793, "127"}, {1807, "127"}, {1808, "126"}, {3599, "0"}};
  for (const AngleCase& c : angles) {
    ControllerRig rig;
    rig.Packet(0, 0, 0, 0, 0, c.azimuth, 899);
    const Strings values = rig.TakeValues();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1], "1047 " + c.angle) << "azimuth " << c.azimuth;
  }
}

TEST(ProcessPacket, BarrelButtonSwitchesControllerModeOnChange) {
  EngineRig rig;
  rig.engine.SelectController(kInputX, 20);
  rig.Packet(1, kBarrel, 100, 100, 0);  // hovering with the barrel held
  EXPECT_TRUE(rig.engine.ControllerMode());
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 14 06"}));
  rig.Packet(1, 0, 200, 100, 0);
  EXPECT_FALSE(rig.engine.ControllerMode());
  EXPECT_TRUE(rig.midi.sent.empty());
  // The mouse button set controller mode; an unchanged button mask leaves it.
  rig.engine.SetControllerMode(true);
  rig.Packet(1, 0, 300, 100, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 14 13"}));
}

// Positions far off the screen play only notes of the list, each stopped
// before the next starts, with the pressure's velocity and a pan in range.
TEST(ProcessPacket, ExtremePositionsNeitherCrashNorPlayOutsideTheList) {
  EngineRig rig;
  const std::vector<uint8_t> list = rig.engine.Notes().NoteList().Notes();
  const int32_t extremes[] = {INT32_MIN, -5000, -1, 2000, 100000, INT32_MAX};
  for (int32_t x : extremes) {
    for (int32_t y : extremes) rig.Packet(1, 0, x, y, 500);
  }
  rig.Packet(1, 0, 0, 0, 0);  // lift
  int sounding = -1;
  int notesPlayed = 0;
  for (const std::string& message : rig.midi.sent) {
    SCOPED_TRACE(message);
    unsigned status = 0, data1 = 0, data2 = 0;
    ASSERT_EQ(std::sscanf(message.c_str(), "%2X %2X %2X", &status, &data1, &data2), 3);
    if (status == 0x90) {
      EXPECT_EQ(sounding, -1);
      EXPECT_NE(std::find(list.begin(), list.end(), data1), list.end());
      EXPECT_EQ(data2, 500u >> 3);
      sounding = static_cast<int>(data1);
      ++notesPlayed;
    } else if (status == 0x80) {
      EXPECT_EQ(static_cast<int>(data1), sounding);
      EXPECT_EQ(data2, 0u);
      sounding = -1;
    } else {
      EXPECT_EQ(status, 0xB0u);
      EXPECT_EQ(data1, 10u);  // pan
      EXPECT_LE(data2, 127u);
    }
  }
  EXPECT_EQ(sounding, -1);
  EXPECT_GT(notesPlayed, 0);
}
