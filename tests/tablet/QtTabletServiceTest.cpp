// SPDX-License-Identifier: MIT
#include "tablet/layers/QtTabletService.h"

#include <gtest/gtest.h>

#include <QPointingDevice>
#include <QTabletEvent>
#include <memory>
#include <vector>

#include "TestApplication.h"
#include "tablet/TabletContext.h"
#include "tablet/TabletScaling.h"
#include "tablet/layers/ScreenSize.h"

namespace {

std::unique_ptr<QPointingDevice> MakePen(QPointingDevice::PointerType type, bool tilt) {
  QInputDevice::Capabilities caps = QInputDevice::Capability::Position | QInputDevice::Capability::Pressure;
  if (tilt) caps |= QInputDevice::Capability::XTilt | QInputDevice::Capability::YTilt;
  return std::make_unique<QPointingDevice>("Test Pen", 4711, QInputDevice::DeviceType::Stylus, type, caps, 1, 3);
}

class QtTabletServiceTest : public WithTestApplication, public testing::Test {
 protected:
  QtTabletServiceTest() {
    TestApplication();
    window.resize(700, 600);
    area = new QWidget(&window);
    area->setGeometry(10, 10, 546, 497);
    screen = TabletScreenSize(&window);
  }

  void Open() {
    ASSERT_TRUE(OpenTabletContext(service, &window, area, [this](const TabletPacket& p) { packets.push_back(p); }));
  }

  bool Send(QEvent::Type type, const QPointingDevice* device, QPointF pos, double pressure, float xTilt,
            float yTilt, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QTabletEvent event(type, device, pos, area->mapToGlobal(pos), pressure, xTilt, yTilt, 0, 0, 0, Qt::NoModifier,
                       button, buttons);
    QCoreApplication::sendEvent(area, &event);
    return event.isAccepted();
  }

  TabletPacket Expected(uint32_t cursor, uint32_t buttons, QPointF pos, uint32_t pressure, int32_t azimuth,
                        int32_t altitude) const {
    TabletPacket p;
    p.cursor = cursor;
    p.buttons = buttons;
    p.x = MapAreaToScreen(pos.x(), 546, screen.width());
    p.y = MapAreaToScreen(pos.y(), 497, screen.height());
    p.normalPressure = pressure;
    p.azimuth = azimuth;
    p.altitude = altitude;
    return p;
  }

  std::vector<TabletPacket> Untimed() const {
    auto copy = packets;
    for (auto& p : copy) p.time = 0;
    return copy;
  }

  QWidget window;
  QWidget* area = nullptr;
  QSize screen;
  QtTabletService service;
  std::vector<TabletPacket> packets;
};

TEST_F(QtTabletServiceTest, TabletEventsOverTheAreaBecomePacketsInScreenRange) {
  Open();
  auto pen = MakePen(QPointingDevice::PointerType::Pen, true);
  auto eraser = MakePen(QPointingDevice::PointerType::Eraser, true);
  auto puck = MakePen(QPointingDevice::PointerType::Cursor, false);
  auto plain = MakePen(QPointingDevice::PointerType::Pen, false);

  Send(QEvent::TabletMove, pen.get(), {100, 50}, 0, 30, 0, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletPress, pen.get(), {100, 50}, 0.5, 0, -30, Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::TabletMove, pen.get(), {545, 496}, 1.0, 0, 0, Qt::NoButton, Qt::LeftButton | Qt::MiddleButton);
  Send(QEvent::TabletMove, pen.get(), {-30, 900}, 0.25, 0, 0, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
  Send(QEvent::TabletRelease, pen.get(), {0, 0}, 0, 0, 0, Qt::LeftButton, Qt::NoButton);
  Send(QEvent::TabletMove, eraser.get(), {200, 200}, 0, 0, 30, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletMove, puck.get(), {200, 200}, 0, 40, 40, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletMove, plain.get(), {200, 200}, 0.1, 40, 40, Qt::NoButton, Qt::NoButton);

  const std::vector<TabletPacket> expected = {
      Expected(1, 0, {100, 50}, 0, 900, 600),
      Expected(1, 1, {100, 50}, 512, 0, 600),
      Expected(1, 3, {545, 496}, 1023, 0, 900),
      Expected(1, 5, {0, 496}, 256, 0, 900),
      Expected(1, 0, {0, 0}, 0, 0, 900),
      Expected(2, 0, {200, 200}, 0, 1800, 600),
      Expected(0, 0, {200, 200}, 0, 0, 0),  // no tilt reported: no orientation
      Expected(1, 0, {200, 200}, 102, 0, 0),
  };
  EXPECT_EQ(Untimed(), expected);
  EXPECT_EQ(packets[2].x, screen.width() - 1);
  EXPECT_EQ(packets[2].y, screen.height() - 1);
}

TEST_F(QtTabletServiceTest, LeavingProximityWhilePressingLifts) {
  Open();
  auto pen = MakePen(QPointingDevice::PointerType::Pen, true);
  Send(QEvent::TabletPress, pen.get(), {10, 10}, 0.5, 0, 0, Qt::LeftButton, Qt::LeftButton);
  QTabletEvent leave(QEvent::TabletLeaveProximity, pen.get(), {}, {}, 0, 0, 0, 0, 0, 0, Qt::NoModifier,
                     Qt::NoButton, Qt::NoButton);
  QCoreApplication::sendEvent(&TestApplication(), &leave);
  QCoreApplication::sendEvent(&TestApplication(), &leave);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[1].normalPressure, 0u);
  EXPECT_EQ(packets[1].buttons, 0u);
  EXPECT_EQ(packets[1].x, packets[0].x);
}

TEST_F(QtTabletServiceTest, NoContextWithoutAnAreaAndNoTabletListedOffscreen) {
  EXPECT_FALSE(service.OpenContext(&window, nullptr, [](const TabletPacket&) {}));
  EXPECT_TRUE(service.ServicesPresent());
  // The offscreen platform lists no input devices at all.
  EXPECT_EQ(service.DeviceName(), "");
  EXPECT_FALSE(service.Orientation().supported);
  EXPECT_EQ(service.ToolName(1), "Pressure Stylus");
}

}  // namespace
