// SPDX-License-Identifier: MIT
#include "ui/window/TabStrip.h"

#include "model/Configuration.h"

QRect TabStrip::TabRect(int i) const {
  const int w = area_.width();
  const int left = area_.left() + (w * i) / kSlotCount;
  const int right = left + w / kSlotCount + 1;
  const int top = area_.top() + area_.height();
  return QRect(left, top, right - left, bottom_ - top);
}

std::vector<int> TabStrip::TabsAt(const QPoint& point) const {
  std::vector<int> hits;
  for (int i = 0; i < kSlotCount; ++i) {
    const QRect r = TabRect(i);
    // Right and bottom edges are exclusive, as the tabs are drawn.
    if (point.x() >= r.left() && point.x() < r.left() + r.width() && point.y() >= r.top() &&
        point.y() < r.top() + r.height()) {
      hits.push_back(i);
    }
  }
  return hits;
}
