// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "engine/Configuration.h"
#include "ui/window/OrientationScaling.h"
#include "ui/window/TabStrip.h"
#include "ui/window/TabletAreaPainter.h"

namespace {

QColor At(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }
QColor SlotColor(int slot) {
  const Rgb c = tabColors[static_cast<size_t>(slot)];
  return QColor(c.r, c.g, c.b);
}

PenState PenAt(int x, int y, uint32_t pressure) {
  PenState pen;
  pen.areaX = x;
  pen.areaY = y;
  pen.pressure = pressure;
  return pen;
}

TEST(TabStrip, OverlapColumnsSelectBothNeighbours) {
  const TabStrip tabs(QRect(0, 0, 546, 497), 530);
  struct HitCase {
    int x, y;
    std::vector<int> hits;
  };
  const HitCase cases[] = {
      {0, 497, {0}},      {45, 500, {0, 1}},  {46, 500, {1}},     {90, 529, {1}},  {136, 529, {2, 3}},
      {500, 510, {10, 11}}, {545, 510, {11}}, {546, 510, {}},     {300, 496, {}},
      {300, 530, {}},     {-1, 510, {}},
  };
  for (const HitCase& c : cases) EXPECT_EQ(tabs.TabsAt(QPoint(c.x, c.y)), c.hits) << c.x << "," << c.y;
  EXPECT_EQ(tabs.TabRect(0), QRect(0, 497, 46, 33));
  EXPECT_EQ(tabs.TabRect(11).left(), 500);
  EXPECT_EQ(tabs.TabRect(11).left() + tabs.TabRect(11).width(), 546);
}

TEST(OrientationScaling, DerivedFromTheTabletAxes) {
  struct AxesCase {
    OrientationAxes axes;
    bool supported;
    double azimuthPerRadian, altitudeFactor, altitudeScale;
  };
  const AxesCase cases[] = {
      {{true, 3600u << 16, 3600u << 16, 900}, true, 3600 / (2 * M_PI), 3.6, 250.0},
      {{true, (3600u << 16) | 0x8000u, 1000u << 16, 500}, true, 3600.5 / (2 * M_PI), 1.0, 500.0},
      {{false, 3600u << 16, 3600u << 16, 900}, false, 1.0, 1.0, 1.0},
      {{true, 0, 3600u << 16, 900}, false, 1.0, 1.0, 1.0},
      {{true, 3600u << 16, 0, 900}, false, 1.0, 1.0, 1.0},
  };
  for (const AxesCase& c : cases) {
    const OrientationScaling s = OrientationScaling::FromAxes(c.axes);
    EXPECT_EQ(s.orientationSupported, c.supported);
    EXPECT_NEAR(s.azimuthPerRadian, c.azimuthPerRadian, 1e-9);
    EXPECT_NEAR(s.altitudeFactor, c.altitudeFactor, 1e-12);
    EXPECT_NEAR(s.altitudeScale, c.altitudeScale, 1e-9);
  }
}

TEST(OrientationScaling, TiltLineFollowsAltitudeAndAzimuth) {
  const OrientationScaling s = OrientationScaling::FromAxes({true, 3600u << 16, 3600u << 16, 900});
  struct TiltCase {
    int azimuth, altitude, dx, dy;
  };
  const TiltCase cases[] = {{900, 900, 0, 0},    {900, 450, 125, 0},   {0, 450, 0, 125},
                            {1800, 450, 0, -125}, {2700, -450, -125, 0}};
  for (const TiltCase& c : cases) {
    const TiltVector t = ComputeTilt(s, c.azimuth, c.altitude);
    EXPECT_EQ(t.dx, c.dx) << c.azimuth << "/" << c.altitude;
    EXPECT_EQ(t.dy, c.dy) << c.azimuth << "/" << c.altitude;
  }
  const TiltVector none = ComputeTilt(OrientationScaling{}, 900, 450);
  EXPECT_EQ(none.dx, 0);
  EXPECT_EQ(none.dy, 0);
}

TEST(TabletAreaPainter, MarkerWithoutPicture) {
  QImage surface(546, 497, QImage::Format_RGB32);
  TabletAreaPainter::PaintArea(surface, SlotColor(2), nullptr, PenAt(200, 200, 800), TiltVector{125, 0});
  EXPECT_EQ(At(surface, 5, 5), QColor(180, 180, 10));        // slot 3's colour
  EXPECT_EQ(At(surface, 290, 290), QColor(180, 180, 10));    // outside the radius-100 circle
  EXPECT_EQ(At(surface, 240, 240), QColor(Qt::white));       // inside the disc
  EXPECT_EQ(At(surface, 100, 200), QColor(Qt::black));       // left edge of the outline
  EXPECT_EQ(At(surface, 180, 200), QColor(Qt::black));       // the cross
  EXPECT_EQ(At(surface, 200, 219), QColor(Qt::black));
  EXPECT_EQ(At(surface, 200, 225), QColor(Qt::white));       // past the cross's end
  EXPECT_EQ(At(surface, 280, 200), QColor(Qt::black));       // the tilt line, to the right
  EXPECT_EQ(At(surface, 200, 160), QColor(Qt::white));       // not above: azimuth points right
}

TEST(TabletAreaPainter, ZeroPressureDrawsOnlyTheCross) {
  QImage surface(100, 100, QImage::Format_RGB32);
  TabletAreaPainter::PaintArea(surface, SlotColor(0), nullptr, PenAt(50, 50, 0), TiltVector{});
  EXPECT_EQ(At(surface, 50, 40), QColor(Qt::black));
  EXPECT_EQ(At(surface, 55, 55), QColor(50, 50, 100));
  EXPECT_EQ(At(surface, 29, 50), QColor(50, 50, 100));
  EXPECT_EQ(At(surface, 30, 50), QColor(Qt::black));
}

TEST(TabletAreaPainter, MarkerInvertsThePicture) {
  QImage picture(200, 200, QImage::Format_RGB32);
  picture.fill(QColor(10, 20, 30));
  QImage surface(200, 200, QImage::Format_RGB32);
  TabletAreaPainter::PaintArea(surface, SlotColor(5), &picture, PenAt(100, 100, 400), TiltVector{0, 60});
  EXPECT_EQ(At(surface, 5, 5), QColor(10, 20, 30));          // the picture covers the slot colour
  EXPECT_EQ(At(surface, 85, 100), QColor(245, 235, 225));    // the cross, inverted
  EXPECT_EQ(At(surface, 100, 70), QColor(245, 235, 225));    // the tilt line, upwards
  EXPECT_EQ(At(surface, 100, 150), QColor(245, 235, 225));   // bottom of the radius-50 circle
  EXPECT_EQ(At(surface, 120, 120), QColor(10, 20, 30));      // the circle is hollow
}

TEST(TabletAreaPainter, TabsInSlotColoursWithWhiteNumbers) {
  QImage image(600, 560, QImage::Format_RGB32);
  image.fill(Qt::gray);
  const TabStrip tabs(QRect(24, 11, 546, 497), 530);
  {
    QPainter painter(&image);
    TabletAreaPainter::PaintTabs(painter, tabs);
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const QRect r = tabs.TabRect(i);
    EXPECT_EQ(At(image, r.left() + 2, r.top() + 1), SlotColor(i)) << i;
    // Some white number pixels near the centre of every tab.
    bool white = false;
    for (int y = r.top(); y < r.bottom(); ++y) {
      for (int x = r.left() + 10; x < r.left() + 36; ++x) white = white || QColor(image.pixel(x, y)).lightness() > 200;
    }
    EXPECT_TRUE(white) << i;
  }
  EXPECT_EQ(At(image, 24, 10), QColor(Qt::gray));   // above the strip
  EXPECT_EQ(At(image, 24, 530), QColor(Qt::gray));  // below it
}

}  // namespace
