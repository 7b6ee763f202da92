// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <vector>

/// The twelve configuration tabs under the tablet area: their rectangles, shared
/// by the painting and the click test so both always agree.
class TabStrip {
 public:
  /// `area` is the tablet area in client pixels; `bottom` the bottom edge
  /// (exclusive) of the Angle controller box.
  TabStrip(const QRect& area, int bottom) : area_(area), bottom_(bottom) {}

  /// Tab i (0..11): left = area left + (W * i) / 12, right (exclusive) =
  /// left + W / 12 + 1, from the area's bottom edge down to `bottom`.
  /// Neighbouring tabs overlap by one pixel column.
  QRect TabRect(int i) const;
  /// Every tab that holds the point, left to right; at an overlap column the
  /// right-hand tab comes last and so ends up current.
  std::vector<int> TabsAt(const QPoint& point) const;

 private:
  QRect area_;
  int bottom_;
};
