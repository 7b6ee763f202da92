// SPDX-License-Identifier: MIT
#include "tablet/layers/QtTabletService.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QPointingDevice>
#include <QTabletEvent>
#include <memory>
#include <vector>

#include "LayerTest.h"

namespace {

std::unique_ptr<QPointingDevice> MakePen(QPointingDevice::PointerType type, bool tilt) {
  QInputDevice::Capabilities caps = QInputDevice::Capability::Position | QInputDevice::Capability::Pressure;
  if (tilt) caps |= QInputDevice::Capability::XTilt | QInputDevice::Capability::YTilt;
  return std::make_unique<QPointingDevice>("Test Pen", 4711, QInputDevice::DeviceType::Stylus, type, caps, 1, 3);
}

class QtTabletServiceTest : public LayerTest<QtTabletService> {
 protected:
  void Send(QEvent::Type type, const QPointingDevice* device, QPointF pos, double pressure, float xTilt, float yTilt,
            Qt::MouseButton button, Qt::MouseButtons buttons) {
    QTabletEvent event(type, device, pos, area->mapToGlobal(pos), pressure, xTilt, yTilt, 0, 0, 0, Qt::NoModifier,
                       button, buttons);
    QCoreApplication::sendEvent(area, &event);
  }
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
      Expected(1, 0, {100, 50}, 0, 900, 600),   Expected(1, 1, {100, 50}, 512, 0, 600),
      Expected(1, 3, {545, 496}, 1023, 0, 900), Expected(1, 5, {0, 496}, 256, 0, 900),
      Expected(1, 0, {0, 0}, 0, 0, 900),        Expected(2, 0, {200, 200}, 0, 1800, 600),
      Expected(0, 0, {200, 200}, 0, 0, 0),  // no tilt reported: no orientation
      Expected(1, 0, {200, 200}, 102, 0, 0)};
  for (auto& p : packets) p.time = 0;
  EXPECT_EQ(packets, expected);
  EXPECT_EQ(packets[2].x, screen.width() - 1);
  EXPECT_EQ(packets[2].y, screen.height() - 1);
  service.SetWindow(&window, nullptr);
  EXPECT_FALSE(service.OpenContext([](const TabletPacket&) {}));  // no area: no context
}

// Events enter as the platform delivers them and reach the area through the
// shown window; the rest of the window is not the pen's.
TEST_F(QtTabletServiceTest, ThroughTheWindowSystemOnlyTheAreaPlaysAndLeavingLifts) {
  // A plain widget as the other control: text would load fonts, whose library
  // leaks under the address sanitizer.
  auto* other = new QWidget(&window);
  other->setGeometry(580, 10, 100, 30);
  window.show();
  QWindow* handle = window.windowHandle();
  ASSERT_NE(handle, nullptr);
  auto pen = MakePen(QPointingDevice::PointerType::Pen, true);
  QWindowSystemInterface::registerInputDevice(pen.get());
  Open();

  auto send = [&](QPointF local, Qt::MouseButtons buttons, qreal pressure) {
    QWindowSystemInterface::handleTabletEvent(handle, pen.get(), local, handle->mapToGlobal(local.toPoint()), buttons,
                                              pressure, 0, 0, 0, 0, 0);
    QCoreApplication::processEvents();
  };
  send({110, 60}, Qt::NoButton, 0);       // hover over the area
  send({110, 60}, Qt::LeftButton, 0.5);   // tip down
  send({120, 60}, Qt::NoButton, 0);       // tip up
  send({620, 20}, Qt::NoButton, 0);       // over the other control: nothing
  send({130, 60}, Qt::LeftButton, 0.25);  // down again over the area
  QWindowSystemInterface::handleTabletEnterLeaveProximityEvent(handle, pen.get(), false);
  QCoreApplication::processEvents();

  for (auto& p : packets) p.time = 0;
  EXPECT_EQ(packets,
            (std::vector<TabletPacket>{Expected(1, 0, {100, 50}, 0, 0, 900), Expected(1, 1, {100, 50}, 512, 0, 900),
                                       Expected(1, 0, {110, 50}, 0, 0, 900), Expected(1, 1, {120, 50}, 256, 0, 900),
                                       Expected(1, 0, {120, 50}, 0, 0, 900)}));  // lifted where it was
  service.Close();
}

}  // namespace
