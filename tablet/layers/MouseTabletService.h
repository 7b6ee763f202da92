// SPDX-License-Identifier: MIT
#pragma once

#include <QPointF>

#include "tablet/layers/AreaTabletService.h"

/// A pen made of the mouse, so Quill can be played without a tablet: the
/// mouse over the tablet area is the pen, hovering while no button is held;
/// the right button presses the tip with a pressure the wheel sets; Shift
/// turns the pen round to its eraser; the middle button is the barrel switch.
/// There is no tablet: the device is "Mouse", a pen without orientation.
class MouseTabletService : public AreaTabletService {
  Q_OBJECT

 public:
  /// The pressure the right button presses with before the wheel turns.
  static constexpr uint32_t kInitialPressure = 512;
  /// The pressure one wheel notch adds or takes away.
  static constexpr uint32_t kPressureStep = 64;

  std::string DeviceName() const override { return "Mouse"; }
  bool EmulatesPen() const override { return true; }
  OrientationAxes Orientation() const override { return {}; }

  /// The pressure the right button presses with now.
  uint32_t PressureLevel() const { return pressureLevel_; }

 protected:
  /// Hover moves reach the area only with mouse tracking on.
  void PrepareArea(QWidget& area) override { area.setMouseTracking(true); }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// The pen as the mouse holds it now, moved at `eventTime`.
  void SendPen(int64_t eventTime);

  QPointF position_;  ///< last mouse position in the area
  bool positionKnown_ = false;
  bool tipDown_ = false;     ///< right button
  bool barrelDown_ = false;  ///< middle button
  bool eraser_ = false;      ///< Shift held
  uint32_t pressureLevel_ = kInitialPressure;
  int wheelDelta_ = 0;  ///< wheel turn not yet a whole notch
};
