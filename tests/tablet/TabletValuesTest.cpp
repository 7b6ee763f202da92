// SPDX-License-Identifier: MIT
// What a tablet reports, converted: positions onto the screen, pressure to
// levels, tilt to orientation; and packets held in range and delivered.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "tablet/EventTimeMapper.h"
#include "tablet/PacketDelivery.h"
#include "tablet/TabletScaling.h"
#include "tablet/TiltConversion.h"

namespace {

// The engine scales a packet back into the area as area × x ÷ screen; every
// area pixel must come back as itself, and the edges must reach the screen's.
TEST(TabletScaling, AreaPixelsSurviveTheEnginesScalingBack) {
  struct Sizes {
    int32_t area, screen;
  };
  const Sizes sizes[] = {{546, 1920}, {497, 1080}, {546, 800}, {800, 800}, {100, 7680}, {2, 3}};
  for (const Sizes& s : sizes) {
    SCOPED_TRACE(testing::Message() << s.area << " onto " << s.screen);
    EXPECT_EQ(MapAreaToScreen(0, s.area, s.screen), 0);
    EXPECT_EQ(MapAreaToScreen(s.area - 1, s.area, s.screen), s.screen - 1);
    for (int32_t pixel = 0; pixel < s.area; ++pixel) {
      const int32_t x = MapAreaToScreen(pixel + 0.75, s.area, s.screen);
      ASSERT_GE(x, 0);
      ASSERT_LT(x, s.screen);
      ASSERT_EQ(s.area * x / s.screen, pixel) << "pixel " << pixel;
    }
  }
  // Positions outside the area are held at its edges.
  EXPECT_EQ(MapAreaToScreen(-40.5, 546, 1920), 0);
  EXPECT_EQ(MapAreaToScreen(1e9, 546, 1920), 1919);
  EXPECT_EQ(MapAreaToScreen(899, 900, 600), 599);  // an area wider than the screen
}

TEST(TabletScaling, DeviceAxesCoverTheScreenAndPressureTheLevels) {
  struct Case {
    int32_t value, minimum, maximum, screen;
    int32_t pixel;
    uint32_t pressure;
  };
  const Case cases[] = {{0, 0, 44800, 1920, 0, 0},           {44800, 0, 44800, 1920, 1919, 1023},
                        {22400, 0, 44800, 1920, 960, 512},   {-5, 0, 44800, 1920, 0, 0},
                        {50000, 0, 44800, 1920, 1919, 1023}, {-100, -100, 100, 1080, 0, 0},
                        {100, -100, 100, 1080, 1079, 1023},  {7, 7, 7, 1920, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " in " << c.minimum << ".." << c.maximum);
    EXPECT_EQ(MapAxisToScreen(c.value, c.minimum, c.maximum, c.screen), c.pixel);
    EXPECT_EQ(ScalePressure(c.value, c.minimum, c.maximum), c.pressure);
  }
  const std::pair<double, uint32_t> fractions[] = {{0.0, 0}, {0.5, 512}, {1.0, 1023}, {1.7, 1023}, {-0.2, 0}};
  for (const auto& [fraction, level] : fractions) EXPECT_EQ(ScalePressure(fraction), level) << fraction;
}

TEST(TiltConversion, CardinalDirectionsDiagonalsAndUpright) {
  struct Case {
    const char* name;
    double tiltX, tiltY;  // degrees
    PenOrientation expected;
  };
  const Case cases[] = {{"upright", 0, 0, {0, 900}},
                        {"towards the top", 0, -30, {0, 600}},
                        {"right", 30, 0, {900, 600}},
                        {"towards the user", 0, 30, {1800, 600}},
                        {"left", -30, 0, {2700, 600}},
                        {"right and towards the top, 45 degrees each", 45, -45, {450, 353}},
                        {"left and towards the user", -45, 45, {2250, 353}},
                        {"past flat is held just short of it", 120, 0, {900, 10}},
                        {"a hair left of the top wraps to the end of the turn", -0.1, -30, {3598, 600}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TiltDegreesToOrientation(c.tiltX, c.tiltY), c.expected);
  }
}

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

TEST(EventTimeMapper, TheFastestEventSeenSetsTheOffsetAndAJumpStartsAfresh) {
  constexpr int64_t ms = 1'000'000;
  constexpr int64_t base = 5'000'000 * ms;  // the monotonic clock when stamps read 0
  // Each row: an event stamped (ms) and handled (monotonic ns), and its time.
  struct Row {
    uint64_t stamp;
    int64_t handled;
    int64_t expected;
  };
  const Row rows[] = {
      {1000, base + 1003 * ms, base + 1003 * ms},  // the first is taken as it came: 3 ms late
      {1010, base + 1020 * ms, base + 1013 * ms},  // slower than the first: the offset stays
      {1020, base + 1021 * ms, base + 1021 * ms},  // faster: the offset shrinks for good
      {1030, base + 1035 * ms, base + 1031 * ms}, {0, base + 1040 * ms, base + 1040 * ms},  // no stamp: now
      {1000, base + 3000 * ms, base + 3000 * ms},  // stamps jumped back: afresh
      {1010, base + 3010 * ms, base + 3010 * ms},
  };
  EventTimeMapper mapper;
  for (const Row& row : rows) {
    EXPECT_EQ(mapper.Map(row.stamp, row.handled), row.expected) << "stamp " << row.stamp;
  }
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
