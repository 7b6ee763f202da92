// SPDX-License-Identifier: MIT
// The Qt layer behind the whole Qt input path: events enter as the platform
// would deliver them and reach the tablet area through the shown window.
#include <gtest/gtest.h>

#include <QPointingDevice>
#include <memory>
#include <qpa/qwindowsysteminterface.h>
#include <vector>

#include "TestApplication.h"
#include "tablet/TabletContext.h"
#include "tablet/TabletScaling.h"
#include "tablet/layers/QtTabletService.h"
#include "tablet/layers/ScreenSize.h"

namespace {

TEST(QtTabletPath, HoverAndPressOverTheAreaPlayTheRestOfTheWindowDoesNot) {
  TestApplication();
  QWidget window;
  window.resize(700, 600);
  auto* area = new QWidget(&window);
  area->setGeometry(10, 10, 546, 497);
  // Another control: a plain widget, since text would load fonts, whose
  // library leaks under the address sanitizer.
  auto* other = new QWidget(&window);
  other->setGeometry(580, 10, 100, 30);
  window.show();
  QWindow* handle = window.windowHandle();
  ASSERT_NE(handle, nullptr);

  auto pen = std::make_unique<QPointingDevice>(
      "Path Test Pen", 4712, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
      QInputDevice::Capability::Position | QInputDevice::Capability::Pressure | QInputDevice::Capability::XTilt |
          QInputDevice::Capability::YTilt,
      1, 3);
  QWindowSystemInterface::registerInputDevice(pen.get());

  QtTabletService service;
  std::vector<TabletPacket> packets;
  ASSERT_TRUE(OpenTabletContext(service, &window, area, [&](const TabletPacket& p) { packets.push_back(p); }));

  auto send = [&](QPointF local, Qt::MouseButtons buttons, qreal pressure) {
    QWindowSystemInterface::handleTabletEvent(handle, pen.get(), local, handle->mapToGlobal(local.toPoint()),
                                              buttons, pressure, 0, 0, 0, 0, 0);
    QCoreApplication::processEvents();
  };
  send({110, 60}, Qt::NoButton, 0);        // hover over the area
  send({110, 60}, Qt::LeftButton, 0.5);    // tip down
  send({120, 60}, Qt::NoButton, 0);        // tip up
  send({620, 20}, Qt::NoButton, 0);        // hover over the other control: not the pen's
  send({130, 60}, Qt::LeftButton, 0.25);   // down again over the area
  QWindowSystemInterface::handleTabletEnterLeaveProximityEvent(handle, pen.get(), false);
  QCoreApplication::processEvents();

  const QSize screen = TabletScreenSize(&window);
  ASSERT_EQ(packets.size(), 5u);
  EXPECT_EQ(packets[0].x, MapAreaToScreen(100, 546, screen.width()));
  EXPECT_EQ(packets[0].y, MapAreaToScreen(50, 497, screen.height()));
  EXPECT_EQ(packets[0].normalPressure, 0u);
  EXPECT_EQ(packets[1].buttons, 1u);
  EXPECT_EQ(packets[1].normalPressure, 512u);
  EXPECT_EQ(packets[2].buttons, 0u);
  EXPECT_EQ(packets[2].x, MapAreaToScreen(110, 546, screen.width()));
  EXPECT_EQ(packets[3].normalPressure, 256u);
  // Leaving proximity while pressing lifts the pen where it was.
  EXPECT_EQ(packets[4].normalPressure, 0u);
  EXPECT_EQ(packets[4].buttons, 0u);
  EXPECT_EQ(packets[4].x, packets[3].x);
  service.Close();
}

}  // namespace
