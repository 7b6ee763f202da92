// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

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

TEST(ProcessPacket, ExtremePositionsNeitherCrashNorPlayOutsideTheList) {
  EngineRig rig;
  const int32_t extremes[] = {INT32_MIN, -5000, -1, 2000, 100000, INT32_MAX};
  for (int32_t x : extremes) {
    for (int32_t y : extremes) rig.Packet(1, 0, x, y, 500);
  }
  for (const std::string& message : rig.midi.sent) EXPECT_EQ(message.size(), 8u);
}
