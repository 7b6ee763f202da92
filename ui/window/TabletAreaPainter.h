// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <functional>

#include "model/TabletPacket.h"
#include "ui/window/OrientationScaling.h"

class QPainter;
class TabStrip;

/// Draws what the main window's controls do not draw themselves: the tablet
/// area with the slot colour, the picture and the pen marker, and the tabs.
class TabletAreaPainter {
 public:
  /// Fills the area (0, 0, size) with the slot colour, or covers it with
  /// `picture` (already at that size, or null), and draws the pen marker: white
  /// disc, black outline and black cross without a picture; inverted hollow
  /// circle, cross and tilt line over a picture. Without a `pen` (no packet has
  /// arrived yet) there is no marker: the pen's place is not known. The
  /// painter's device is already double-buffered (a widget's backing store or
  /// an image), so the marker never flickers. An `overlay`, when given, is
  /// drawn over the picture and beneath the marker (the note guide).
  static void PaintArea(QPainter& painter, QSize size, const QColor& slotColor, const QImage* picture,
                        const PenState* pen, TiltVector tilt, const std::function<void(QPainter&)>& overlay = {});
  /// The same into a whole image.
  static void PaintArea(QImage& surface, const QColor& slotColor, const QImage* picture, const PenState* pen,
                        TiltVector tilt);
  /// The twelve numbered tabs in their slot colours, numbers in white 8-point Arial.
  static void PaintTabs(QPainter& painter, const TabStrip& tabs);
};
