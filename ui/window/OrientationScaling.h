// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "tablet/TabletService.h"

/// How pen orientation becomes the marker's tilt line, derived once at start-up
/// from the tablet's orientation axes.
struct OrientationScaling {
  bool orientationSupported = false;
  double azimuthPerRadian = 1.0;  ///< azimuth units per radian
  double altitudeFactor = 1.0;    ///< altitude resolution / 1000
  double altitudeScale = 1.0;     ///< altitude maximum / altitudeFactor

  /// From the axes the tablet reports; a zero azimuth or altitude resolution
  /// means no usable orientation and leaves every factor at 1.0.
  static OrientationScaling FromAxes(const OrientationAxes& axes);
};

/// The tilt line of the marker, in pixels: (dx, dy) with dy pointing up.
struct TiltVector {
  int dx = 0;
  int dy = 0;
};

/// Length = altitudeScale - |altitude| / altitudeFactor, direction = azimuth
/// clockwise from straight up; zero without orientation support.
TiltVector ComputeTilt(const OrientationScaling& scaling, int32_t azimuth, int32_t altitude);
