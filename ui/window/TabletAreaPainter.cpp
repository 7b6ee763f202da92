// SPDX-License-Identifier: MIT
#include "ui/window/TabletAreaPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "model/Configuration.h"
#include "ui/window/TabStrip.h"

namespace {

constexpr int kCrossHalf = 20;  // the cross is 40 pixels wide and high

// Circle of radius r around (x, y), the tilt line and the cross. Lines leave
// out their end point (flat caps), so the cross is exactly 40 pixels.
void DrawMarker(QPainter& p, int x, int y, int r, TiltVector tilt) {
  if (r > 0) p.drawEllipse(QRect(x - r, y - r, 2 * r, 2 * r));
  if (tilt.dx != 0 || tilt.dy != 0) p.drawLine(QPoint(x, y), QPoint(x + tilt.dx, y - tilt.dy));
  p.drawLine(QPoint(x - kCrossHalf, y), QPoint(x + kCrossHalf, y));
  p.drawLine(QPoint(x, y - kCrossHalf), QPoint(x, y + kCrossHalf));
}

}  // namespace

void TabletAreaPainter::PaintArea(QImage& surface, const QColor& slotColor, const QImage* picture, const PenState* pen,
                                  TiltVector tilt) {
  QPainter painter(&surface);
  PaintArea(painter, surface.size(), slotColor, picture, pen, tilt);
}

void TabletAreaPainter::PaintArea(QPainter& p, QSize size, const QColor& slotColor, const QImage* picture,
                                  const PenState* pen, TiltVector tilt, const std::function<void(QPainter&)>& overlay) {
  p.save();
  const QRect area(QPoint(0, 0), size);
  p.setClipRect(area);
  const bool overPicture = picture != nullptr && !picture->isNull();
  // A picture at the area's size covers every pixel: one copy, no fill.
  if (!overPicture || picture->size() != size) p.fillRect(area, slotColor);
  if (overPicture) p.drawImage(0, 0, *picture);
  if (overlay) overlay(p);
  if (pen == nullptr) {
    p.restore();
    return;
  }

  const int x = pen->areaX;
  const int y = pen->areaY;
  const int r = static_cast<int>(PressureEighths(pen->pressure));
  QPen linePen(overPicture ? Qt::white : Qt::black, 0);
  linePen.setCapStyle(Qt::FlatCap);
  p.setPen(linePen);
  if (overPicture) {
    // Every pixel drawn takes the complement of the picture's colour.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setBrush(Qt::NoBrush);
  } else {
    p.setBrush(Qt::white);
  }
  DrawMarker(p, x, y, r, tilt);
  p.restore();
}

void TabletAreaPainter::PaintTabs(QPainter& painter, const TabStrip& tabs) {
  painter.save();
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(8);
  painter.setFont(font);
  const QFontMetrics metrics(font, painter.device());
  painter.setPen(Qt::white);
  for (int i = 0; i < kSlotCount; ++i) {
    const QRect r = tabs.TabRect(i);
    const Rgb c = tabColors[static_cast<size_t>(i)];
    painter.fillRect(r, QColor(c.r, c.g, c.b));
    const QString text = QString::number(i + 1);
    const int cx = metrics.horizontalAdvance(text);
    const int cy = metrics.height();
    const int left = r.left();
    const int right = r.left() + r.width();
    const int top = r.top();
    const int bottom = r.top() + r.height();
    const int tx = left + (right - cx - left) / 2;
    const int ty = top + (bottom - cy - top) / 2;
    painter.drawText(tx, ty + metrics.ascent(), text);
  }
  painter.restore();
}
