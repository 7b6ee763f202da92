// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "model/Configuration.h"
#include "tests/window/WindowFakes.h"
#include "ui/window/OrientationScaling.h"
#include "ui/window/TabStrip.h"
#include "ui/window/TabletAreaPainter.h"

namespace {

TEST(TabStrip, OverlapColumnsSelectBothNeighbours) {
  const TabStrip tabs(QRect(0, 0, 546, 497), 530);
  const std::tuple<int, int, std::vector<int>> cases[] = {
      {0, 497, {0}},    {45, 500, {0, 1}}, {46, 500, {1}}, {136, 529, {2, 3}}, {500, 510, {10, 11}},
      {545, 510, {11}}, {546, 510, {}},    {300, 496, {}}, {300, 530, {}},     {-1, 510, {}}};
  for (const auto& [x, y, hits] : cases) EXPECT_EQ(tabs.TabsAt(QPoint(x, y)), hits) << x << "," << y;
  EXPECT_EQ(tabs.TabRect(0), QRect(0, 497, 46, 33));
}

TEST(OrientationScaling, FromTheTabletAxesAndTiltLine) {
  const std::tuple<OrientationAxes, bool, double, double> axes[] = {
      {{true, 3600u << 16, 3600u << 16, 900}, true, 3600 / (2 * M_PI), 250.0},
      {{true, (3600u << 16) | 0x8000u, 1000u << 16, 500}, true, 3600.5 / (2 * M_PI), 500.0},
      {{false, 3600u << 16, 3600u << 16, 900}, false, 1.0, 1.0},
      {{true, 0, 3600u << 16, 900}, false, 1.0, 1.0}};
  for (const auto& [a, supported, perRadian, altitudeScale] : axes) {
    const OrientationScaling s = OrientationScaling::FromAxes(a);
    EXPECT_EQ(s.orientationSupported, supported);
    EXPECT_NEAR(s.azimuthPerRadian, perRadian, 1e-9);
    EXPECT_NEAR(s.altitudeScale, altitudeScale, 1e-9);
  }
  const OrientationScaling s = OrientationScaling::FromAxes({true, 3600u << 16, 3600u << 16, 900});
  const int tilts[][4] = {{900, 900, 0, 0}, {900, 450, 125, 0}, {1800, 450, 0, -125}, {2700, -450, -125, 0}};
  for (const auto& [azimuth, altitude, dx, dy] : tilts) {
    const TiltVector t = ComputeTilt(s, azimuth, altitude);
    EXPECT_EQ(QPoint(t.dx, t.dy), QPoint(dx, dy)) << azimuth << "/" << altitude;
  }
  const TiltVector none = ComputeTilt(OrientationScaling{}, 900, 450);
  EXPECT_EQ(QPoint(none.dx, none.dy), QPoint(0, 0));
}

TEST(TabletAreaPainter, MarkerOverSlotColourOrInvertedOverPicture) {
  const QColor slot(180, 180, 10), white(Qt::white), black(Qt::black), dark(10, 20, 30), inverse(245, 235, 225);
  QImage picture(200, 200, QImage::Format_RGB32);
  picture.fill(dark);
  struct Case {
    const QImage* picture;
    uint32_t pressure;  // the circle's radius is pressure / 8
    TiltVector tilt;
    std::vector<std::tuple<int, int, QColor>> pixels;
  };
  const Case cases[] = {
      {nullptr,
       800,
       {125, 0},
       {{5, 5, slot},
        {190, 190, slot},
        {140, 140, white},
        {0, 100, black},
        {80, 100, black},
        {100, 125, white},
        {180, 100, black},
        {100, 60, white}}},
      {nullptr, 0, {}, {{100, 90, black}, {80, 100, black}, {79, 100, slot}, {105, 105, slot}}},  // only the cross
      {&picture,
       400,
       {0, 60},
       {{5, 5, dark}, {85, 100, inverse}, {100, 70, inverse}, {100, 150, inverse}, {120, 120, dark}}}};
  for (const Case& c : cases) {
    QImage surface(200, 200, QImage::Format_RGB32);
    const PenState pen{100, 100, c.pressure};
    TabletAreaPainter::PaintArea(surface, SlotColor(2), c.picture, &pen, c.tilt);
    for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(QColor(surface.pixel(x, y)), colour) << x << "," << y;
  }
}

TEST(TabletAreaPainter, TabsInSlotColours) {
  QImage image(600, 560, QImage::Format_RGB32);
  image.fill(Qt::gray);
  const TabStrip tabs(QRect(24, 11, 546, 497), 530);
  {
    QPainter painter(&image);
    TabletAreaPainter::PaintTabs(painter, tabs);
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const QRect r = tabs.TabRect(i);
    EXPECT_EQ(QColor(image.pixel(r.left() + 2, r.top() + 1)), SlotColor(i)) << i;
    bool white = false;  // the row through the middle crosses the white number
    for (int x = r.left(); x <= r.right(); ++x)
      white = white || QColor(image.pixel(x, r.center().y())).lightness() > 200;
    EXPECT_TRUE(white) << i;
  }
  EXPECT_EQ(QColor(image.pixel(24, 10)), QColor(Qt::gray));   // above the strip
  EXPECT_EQ(QColor(image.pixel(24, 530)), QColor(Qt::gray));  // below it
}

}  // namespace
