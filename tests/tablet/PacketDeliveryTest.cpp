// SPDX-License-Identifier: MIT
#include "tablet/PacketDelivery.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TabletPacket Pen(uint32_t buttons, uint32_t pressure) {
  return {.cursor = 1, .buttons = buttons, .x = 100, .y = 200, .normalPressure = pressure};
}

TEST(PacketDelivery, PacketsPassWhileOpenAndEnabledAndDisablingLiftsOnce) {
  PacketDelivery delivery;
  std::vector<TabletPacket> received;
  EXPECT_FALSE(delivery.Deliver(Pen(3, 700), 1920, 1080));
  delivery.Open([&](const TabletPacket& packet) { received.push_back(packet); });
  EXPECT_TRUE(delivery.Deliver(Pen(3, 700), 1920, 1080));
  delivery.Enable(false);
  delivery.Enable(false);
  EXPECT_FALSE(delivery.Deliver(Pen(3, 700), 1920, 1080));
  delivery.Enable(true);
  EXPECT_TRUE(delivery.Deliver(Pen(0, 0), 1920, 1080));
  delivery.Enable(false);  // a hovering pen needs no lift
  delivery.Close();
  EXPECT_FALSE(delivery.Deliver(Pen(3, 700), 1920, 1080));
  // The press, one lift at its place, the hover; closing sends nothing.
  EXPECT_EQ(received, (std::vector<TabletPacket>{Pen(3, 700), Pen(0, 0), Pen(0, 0)}));
}

TEST(PacketDelivery, TheHandlerMayCloseTheContext) {
  PacketDelivery delivery;
  int received = 0;
  delivery.Open([&](const TabletPacket&) {
    ++received;
    delivery.Close();
  });
  delivery.Deliver(Pen(1, 10), 1920, 1080);
  EXPECT_FALSE(delivery.Deliver(Pen(1, 10), 1920, 1080));
  EXPECT_EQ(received, 1);
}

TEST(ClampPacket, EveryFieldIsHeldInItsRange) {
  const TabletPacket wild{
      .cursor = 7, .buttons = 0xFF, .x = 5000, .y = -3, .normalPressure = 4000, .azimuth = -10, .altitude = 1200};
  const TabletPacket held{
      .cursor = 2, .buttons = 0x7, .x = 1919, .y = 0, .normalPressure = 1023, .azimuth = 3590, .altitude = 900};
  EXPECT_EQ(ClampPacket(wild, 1920, 1080), held);
  TabletPacket under = wild;
  under.azimuth = 3600;
  under.altitude = -5;
  EXPECT_EQ(ClampPacket(under, 1920, 1080).azimuth, 0);
  EXPECT_EQ(ClampPacket(under, 1920, 1080).altitude, 0);
}

}  // namespace
