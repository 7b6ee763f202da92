// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>

#include "engine/TabletPacket.h"
#include "ui/window/OrientationScaling.h"

class QPainter;
class TabStrip;

/// Draws what the main window's controls do not draw themselves: the tablet
/// area with the slot colour, the picture and the pen marker, and the tabs.
class TabletAreaPainter {
 public:
  /// Fills `surface` with the slot colour, stretches `picture` (already at the
  /// surface's size, or null) over it and draws the pen marker: white disc,
  /// black outline and black cross without a picture; inverted hollow circle,
  /// cross and tilt line over a picture.
  static void PaintArea(QImage& surface, const QColor& slotColor, const QImage* picture,
                        const PenState& pen, TiltVector tilt);
  /// The twelve numbered tabs in their slot colours, numbers in white 8-point Arial.
  static void PaintTabs(QPainter& painter, const TabStrip& tabs);
};
