// SPDX-License-Identifier: MIT
#include "tablet/TiltConversion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Tilt sensors stop short of lying flat; keeping below a right angle keeps tan finite.
constexpr double kMaxTilt = 89.0 * std::numbers::pi / 180.0;
constexpr double kTenthsPerRadian = 1800.0 / std::numbers::pi;
}  // namespace

PenOrientation TiltToOrientation(double tiltX, double tiltY) {
  if (!std::isfinite(tiltX)) tiltX = 0.0;
  if (!std::isfinite(tiltY)) tiltY = 0.0;
  // Direction of the pen's top projected onto the surface, y growing downwards.
  const double dx = std::tan(std::clamp(tiltX, -kMaxTilt, kMaxTilt));
  const double dy = std::tan(std::clamp(tiltY, -kMaxTilt, kMaxTilt));
  const double lean = std::hypot(dx, dy);

  PenOrientation result;
  const auto altitude = std::lround(std::atan2(1.0, lean) * kTenthsPerRadian);
  result.altitude = static_cast<int32_t>(std::clamp<long>(altitude, 0, 900));
  if (result.altitude >= 900) return result;  // upright: no direction to report

  // Clockwise from the tablet's top: atan2(right, up).
  auto azimuth = std::lround(std::atan2(dx, -dy) * kTenthsPerRadian);
  azimuth %= 3600;
  if (azimuth < 0) azimuth += 3600;
  result.azimuth = static_cast<int32_t>(azimuth);
  return result;
}

PenOrientation TiltDegreesToOrientation(double tiltX, double tiltY) {
  return TiltToOrientation(tiltX * std::numbers::pi / 180.0, tiltY * std::numbers::pi / 180.0);
}

OrientationAxes TenthsOfDegreeAxes() {
  OrientationAxes axes;
  axes.supported = true;
  axes.azimuthResolution = 3600u << 16;
  axes.altitudeResolution = 3600u << 16;
  axes.altitudeMax = 900;
  return axes;
}
