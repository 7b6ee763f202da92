// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "tablet/TabletService.h"

/// Pen orientation in tenths of a degree, as packets carry it.
struct PenOrientation {
  int32_t azimuth = 0;     ///< 0..3599 clockwise, 0 = the pen's top leaning towards the tablet's top
  int32_t altitude = 900;  ///< 900 upright, 0 lying flat

  bool operator==(const PenOrientation&) const = default;
};

/// Turns the two tilt angles tablets report into azimuth and altitude.
/// `tiltX` is the angle from upright in the left-right plane, positive when the
/// pen's top leans right; `tiltY` the same in the top-bottom plane, positive
/// when it leans towards the user (the tablet's bottom). Both in radians,
/// limited to just under a right angle. An upright pen has azimuth 0.
PenOrientation TiltToOrientation(double tiltX, double tiltY);

/// The same with the angles in degrees, as Qt reports them.
PenOrientation TiltDegreesToOrientation(double tiltX, double tiltY);

/// The orientation axes of a pen that reports tilt, as every layer converts
/// it: azimuth and altitude 3600 units per turn, 900 for an upright pen.
OrientationAxes TenthsOfDegreeAxes();
