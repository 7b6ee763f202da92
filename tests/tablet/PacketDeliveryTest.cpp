// SPDX-License-Identifier: MIT
#include "tablet/PacketDelivery.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TabletPacket Pressing() {
  TabletPacket packet;
  packet.cursor = 1;
  packet.buttons = 0x3;
  packet.x = 100;
  packet.y = 200;
  packet.normalPressure = 700;
  return packet;
}

class PacketDeliveryTest : public testing::Test {
 protected:
  void Open() {
    delivery.Open([this](const TabletPacket& packet) { received.push_back(packet); });
  }
  PacketDelivery delivery;
  std::vector<TabletPacket> received;
};

TEST_F(PacketDeliveryTest, PacketsPassOnlyWhileOpenAndEnabled) {
  EXPECT_FALSE(delivery.Deliver(Pressing(), 1920, 1080));
  Open();
  EXPECT_TRUE(delivery.Deliver(Pressing(), 1920, 1080));
  delivery.Enable(false);
  EXPECT_FALSE(delivery.Deliver(Pressing(), 1920, 1080));
  delivery.Enable(true);
  EXPECT_TRUE(delivery.Deliver(Pressing(), 1920, 1080));
  delivery.Close();
  EXPECT_FALSE(delivery.Deliver(Pressing(), 1920, 1080));
  // Two delivered presses, one lift on disabling; closing sends nothing.
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].normalPressure, 0u);
}

TEST_F(PacketDeliveryTest, DisablingLiftsAPressingPenAtItsPlaceOnce) {
  Open();
  delivery.Deliver(Pressing(), 1920, 1080);
  delivery.Enable(false);
  delivery.Enable(false);
  ASSERT_EQ(received.size(), 2u);
  TabletPacket lift = Pressing();
  lift.normalPressure = 0;
  lift.buttons = 0;
  EXPECT_EQ(received[1], lift);
}

TEST_F(PacketDeliveryTest, DisablingAHoveringPenSendsNothing) {
  Open();
  TabletPacket hover = Pressing();
  hover.normalPressure = 0;
  hover.buttons = 0;
  delivery.Deliver(hover, 1920, 1080);
  delivery.Enable(false);
  EXPECT_EQ(received.size(), 1u);
}

TEST_F(PacketDeliveryTest, TheHandlerMayCloseTheContext) {
  delivery.Open([this](const TabletPacket& packet) {
    received.push_back(packet);
    delivery.Close();
  });
  delivery.Deliver(Pressing(), 1920, 1080);
  EXPECT_FALSE(delivery.Deliver(Pressing(), 1920, 1080));
  EXPECT_EQ(received.size(), 1u);
}

TEST(ClampPacket, EveryFieldIsHeldInItsRange) {
  TabletPacket wild;
  wild.cursor = 7;
  wild.buttons = 0xFF;
  wild.x = 5000;
  wild.y = -3;
  wild.normalPressure = 4000;
  wild.azimuth = -10;
  wild.altitude = 1200;
  TabletPacket expected = wild;
  expected.cursor = 2;
  expected.buttons = 0x7;
  expected.x = 1919;
  expected.y = 0;
  expected.normalPressure = 1023;
  expected.azimuth = 3590;
  expected.altitude = 900;
  EXPECT_EQ(ClampPacket(wild, 1920, 1080), expected);

  wild.azimuth = 3600;
  wild.altitude = -5;
  EXPECT_EQ(ClampPacket(wild, 1920, 1080).azimuth, 0);
  EXPECT_EQ(ClampPacket(wild, 1920, 1080).altitude, 0);
}

}  // namespace
