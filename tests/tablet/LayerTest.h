// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <utility>
#include <vector>

#include "tablet/TabletContext.h"
#include "tablet/TabletScaling.h"
#include "tablet/layers/ScreenSize.h"

/// The one QApplication the tablet layer tests share, on the offscreen
/// platform unless another one is asked for.
inline QApplication& TestApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tablet_layers_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

/// A base that makes the application before any widget member exists.
struct WithTestApplication {
  WithTestApplication() { TestApplication(); }
};

/// The tablet area; it records the mouse presses that get through to it.
class RecordingArea : public QWidget {
 public:
  using QWidget::QWidget;
  std::vector<Qt::MouseButton> pressed;

 protected:
  void mousePressEvent(QMouseEvent* event) override { pressed.push_back(event->button()); }
};

/// A window with a 546 × 497 tablet area, a layer, and the packets it delivers.
template <typename Service>
class LayerTest : public WithTestApplication, public testing::Test {
 protected:
  template <typename... Arguments>
  explicit LayerTest(Arguments&&... arguments) : service(std::forward<Arguments>(arguments)...) {
    window.resize(700, 600);
    area = new RecordingArea(&window);
    area->setGeometry(10, 10, 546, 497);
    screen = TabletScreenSize(&window);
  }

  void Open() {
    service.SetWindow(&window, area);
    ASSERT_TRUE(OpenTabletContext(service, [this](const TabletPacket& p) { packets.push_back(p); }));
  }

  /// The packet for a position in the area, scaled to the screen.
  TabletPacket Expected(uint32_t cursor, uint32_t buttons, QPointF pos, uint32_t pressure, int32_t azimuth = 0,
                        int32_t altitude = 0) const {
    return {.cursor = cursor,
            .buttons = buttons,
            .x = MapAreaToScreen(pos.x(), 546, screen.width()),
            .y = MapAreaToScreen(pos.y(), 497, screen.height()),
            .normalPressure = pressure,
            .azimuth = azimuth,
            .altitude = altitude};
  }

  QWidget window;
  RecordingArea* area = nullptr;
  QSize screen;
  Service service;
  std::vector<TabletPacket> packets;
};
