// SPDX-License-Identifier: MIT
#pragma once

#include "tablet/layers/AreaTabletService.h"

class QTabletEvent;

/// The tablet as Qt reports it: tablet events over the tablet area, the area
/// mapped onto the screen range. The pen plays what it is over; everywhere
/// else in the window it is an ordinary pointer.
class QtTabletService : public AreaTabletService {
  Q_OBJECT

 public:
  /// The first tablet pen Qt knows of; "WACOM " and its product name for a
  /// Wacom pen; empty when Qt lists none.
  std::string DeviceName() const override;
  /// Orientation when a pen Qt knows of reports tilt.
  OrientationAxes Orientation() const override;

  /// The packet a tablet event over an area of the given size makes.
  static TabletPacket MakePacket(const QTabletEvent& event, QSize areaSize, QSize screenSize);

 protected:
  /// Hover moves reach the area only with tablet tracking on.
  void PrepareArea(QWidget& area) override { area.setTabletTracking(true); }
  bool eventFilter(QObject* watched, QEvent* event) override;
};
