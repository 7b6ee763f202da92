// SPDX-License-Identifier: MIT
#include "ui/window/OrientationScaling.h"

#include <cmath>
#include <cstdlib>

namespace {

// 16.16 fixed point: whole part in the upper half, fraction in the lower.
double FixedToDouble(uint32_t value) {
  return static_cast<double>(value >> 16) + static_cast<double>(value & 0xFFFFu) * 1.52587890625e-05;
}

}  // namespace

OrientationScaling OrientationScaling::FromAxes(const OrientationAxes& axes) {
  OrientationScaling s;
  s.orientationSupported = axes.supported;
  if (!s.orientationSupported) return s;
  if (axes.azimuthResolution == 0 || axes.altitudeResolution == 0) {
    s.orientationSupported = false;
    return s;
  }
  s.azimuthPerRadian = FixedToDouble(axes.azimuthResolution) * 0.15915494309188485;
  s.altitudeFactor = FixedToDouble(axes.altitudeResolution) * 0.001;
  s.altitudeScale = static_cast<double>(axes.altitudeMax) / s.altitudeFactor;
  return s;
}

TiltVector ComputeTilt(const OrientationScaling& scaling, int32_t azimuth, int32_t altitude) {
  if (!scaling.orientationSupported) return {};
  const double d =
      scaling.altitudeScale - static_cast<double>(std::abs(static_cast<int64_t>(altitude))) / scaling.altitudeFactor;
  const double theta = static_cast<double>(static_cast<uint32_t>(azimuth)) / scaling.azimuthPerRadian;
  // Truncation toward zero; values far outside the int range cannot come from
  // the layers' ranges but are kept in bounds anyway.
  auto toInt = [](double v) {
    if (!(v > -1e6)) return -1000000;
    if (!(v < 1e6)) return 1000000;
    return static_cast<int>(std::trunc(v));
  };
  return TiltVector{toInt(d * std::sin(theta)), toInt(d * std::cos(theta))};
}
