// SPDX-License-Identifier: MIT
#include "tablet/layers/MouseTabletService.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <vector>

#include "LayerTest.h"

namespace {

class MouseTabletServiceTest : public LayerTest<MouseTabletService> {
 protected:
  MouseTabletServiceTest() { Open(); }

  void Mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, pos, area->mapToGlobal(pos), button, buttons, modifiers);
    QCoreApplication::sendEvent(area, &event);
  }

  void Wheel(int delta, Qt::MouseButtons buttons) {
    QWheelEvent event({50, 50}, area->mapToGlobal(QPointF(50, 50)), {}, {0, delta}, buttons, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(area, &event);
  }
};

TEST_F(MouseTabletServiceTest, TheMousePlaysThePen) {
  Mouse(QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::NoButton);               // hover
  Mouse(QEvent::MouseButtonPress, {100, 50}, Qt::RightButton, Qt::RightButton);  // tip down
  Wheel(240, Qt::RightButton);                                                   // press harder
  Mouse(QEvent::MouseMove, {600, -20}, Qt::NoButton, Qt::RightButton);           // drag out of the area
  Mouse(QEvent::MouseButtonPress, {545, 0}, Qt::MiddleButton, Qt::RightButton | Qt::MiddleButton);  // barrel
  Mouse(QEvent::MouseButtonRelease, {545, 0}, Qt::RightButton, Qt::MiddleButton);                   // lift
  Mouse(QEvent::MouseButtonRelease, {545, 0}, Qt::MiddleButton, Qt::NoButton);
  Mouse(QEvent::MouseMove, {200, 300}, Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);  // eraser
  Mouse(QEvent::MouseButtonPress, {200, 300}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
  OnTabletActivate(service, false);                                    // lifts
  Mouse(QEvent::MouseMove, {120, 50}, Qt::NoButton, Qt::RightButton);  // nothing
  OnTabletActivate(service, true);
  Mouse(QEvent::MouseMove, {130, 50}, Qt::NoButton, Qt::RightButton);
  service.Close();
  Mouse(QEvent::MouseMove, {140, 50}, Qt::NoButton, Qt::RightButton);  // nothing

  const std::vector<TabletPacket> expected = {
      Expected(1, 0, {100, 50}, 0),  Expected(1, 1, {100, 50}, 512), Expected(1, 1, {100, 50}, 640),
      Expected(1, 1, {545, 0}, 640), Expected(1, 3, {545, 0}, 640),  Expected(1, 2, {545, 0}, 0),
      Expected(1, 0, {545, 0}, 0),   Expected(2, 0, {200, 300}, 0),  Expected(2, 1, {200, 300}, 640),
      Expected(2, 0, {200, 300}, 0), Expected(1, 1, {130, 50}, 640)};
  EXPECT_EQ(packets, expected);
  EXPECT_EQ(packets[3].x, screen.width() - 1);
}

TEST_F(MouseTabletServiceTest, LeftButtonReachesTheWindowAndLeavesThePenHovering) {
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::MiddleButton, Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
  EXPECT_EQ(area->pressed, std::vector<Qt::MouseButton>{Qt::LeftButton});
  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(packets.front(), Expected(1, 0, {10, 10}, 0));
}

TEST_F(MouseTabletServiceTest, ShiftKeyTurnsThePenWhereItIs) {
  Mouse(QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::NoButton);
  QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
  QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &shiftDown);
  QCoreApplication::sendEvent(&window, &shiftDown);  // auto-repeat changes nothing
  QCoreApplication::sendEvent(&window, &shiftUp);
  EXPECT_EQ(packets, (std::vector<TabletPacket>{Expected(1, 0, {100, 50}, 0), Expected(2, 0, {100, 50}, 0),
                                                Expected(1, 0, {100, 50}, 0)}));
}

TEST_F(MouseTabletServiceTest, WheelPressureStaysWithinTheLevels) {
  for (int i = 0; i < 20; ++i) Wheel(120, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1023u);
  for (int i = 0; i < 40; ++i) Wheel(-120, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1u);
  // Small steps of a fine wheel add up to whole notches.
  for (int i = 0; i < 8; ++i) Wheel(15, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1u + MouseTabletService::kPressureStep);
  EXPECT_TRUE(packets.empty());  // the pen has not been over the area yet
}

}  // namespace
