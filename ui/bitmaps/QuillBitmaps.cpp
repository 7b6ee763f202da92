// SPDX-License-Identifier: MIT
#include "ui/bitmaps/QuillBitmaps.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "ui/bitmaps/KeyboardPicture.h"

namespace {

// The curve shapes as pictures: t and the result run from 0 to 1. They only
// need to look like the response curves, which are computed elsewhere.
double CurveShape(int code, double t) {
  switch (code) {
    case 0: return (std::exp(3.0 * t) - 1.0) / (std::exp(3.0) - 1.0);
    case 1: return t;
    case 2: return 1.0 - (std::exp(3.0 * (1.0 - t)) - 1.0) / (std::exp(3.0) - 1.0);
    default: return t < 0.5 ? 4.0 * t * t * t : 1.0 - 4.0 * (1.0 - t) * (1.0 - t) * (1.0 - t);
  }
}

QColor CurveColor(int code) {
  switch (code) {
    case 0: return QColor(255, 0, 0);
    case 1: return QColor(0, 128, 0);
    case 2: return QColor(0, 0, 128);
    default: return QColor(0, 0, 0);
  }
}

// A classic raised (or sunken) button edge, two pixels wide.
void DrawButtonEdge(QPainter& painter, int width, int height, bool pressed) {
  const QColor light(255, 255, 255), face(192, 192, 192), shadow(128, 128, 128), dark(0, 0, 0);
  painter.fillRect(0, 0, width, height, face);
  const QColor outerTopLeft = pressed ? dark : light;
  const QColor outerBottomRight = pressed ? light : dark;
  const QColor innerTopLeft = pressed ? shadow : face;
  const QColor innerBottomRight = pressed ? face : shadow;
  painter.fillRect(0, 0, width, 1, outerTopLeft);
  painter.fillRect(0, 0, 1, height, outerTopLeft);
  painter.fillRect(0, height - 1, width, 1, outerBottomRight);
  painter.fillRect(width - 1, 0, 1, height, outerBottomRight);
  painter.fillRect(1, 1, width - 2, 1, innerTopLeft);
  painter.fillRect(1, 1, 1, height - 2, innerTopLeft);
  painter.fillRect(1, height - 2, width - 2, 1, innerBottomRight);
  painter.fillRect(width - 2, 1, 1, height - 2, innerBottomRight);
}

// The icon in a 64-unit square: a dark tablet with its active area, a wavy
// stroke on it and a pen resting across it.
void DrawIcon(QPainter& painter, int size) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.scale(size / 64.0, size / 64.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(50, 50, 100));
  painter.drawRoundedRect(QRectF(2, 10, 60, 46), 7, 7);
  painter.setBrush(QColor(255, 160, 65));
  painter.drawRoundedRect(QRectF(8, 16, 48, 34), 3, 3);

  QPainterPath stroke;
  stroke.moveTo(12, 40);
  stroke.cubicTo(20, 22, 26, 46, 34, 32);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(50, 50, 100), 3.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(stroke);

  // The pen from the upper right down to the end of the stroke.
  painter.translate(34, 32);
  painter.rotate(-45);
  painter.setPen(QPen(QColor(20, 20, 20), 1.5));
  painter.setBrush(QColor(240, 240, 240));
  painter.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(7, -3.5), QPointF(7, 3.5)}));
  painter.setBrush(QColor(200, 30, 30));
  painter.drawRoundedRect(QRectF(7, -4.5, 28, 9), 3, 3);
  painter.setBrush(QColor(20, 20, 20));
  painter.drawRect(QRectF(15, -4.5, 4, 9));
}

}  // namespace

QPixmap QuillBitmaps::CurveBitmap(int code) {
  if (code < 0 || code > 3) return QPixmap();
  QImage image(kCurveWidth, kCurveHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QColor color = CurveColor(code);
  // The 2-pixel frame.
  painter.fillRect(0, 0, kCurveWidth, 2, color);
  painter.fillRect(0, kCurveHeight - 2, kCurveWidth, 2, color);
  painter.fillRect(0, 0, 2, kCurveHeight, color);
  painter.fillRect(kCurveWidth - 2, 0, 2, kCurveHeight, color);
  // The curve from the lower left to the upper right, one pixel inside the frame.
  const int left = 3, right = kCurveWidth - 4, top = 3, bottom = kCurveHeight - 4;
  QPolygon curve;
  for (int x = left; x <= right; ++x) {
    const double t = double(x - left) / (right - left);
    curve << QPoint(x, bottom - int(std::lround(CurveShape(code, t) * (bottom - top))));
  }
  painter.setPen(QPen(color, 1));
  painter.drawPolyline(curve);
  painter.end();
  return QPixmap::fromImage(image);
}

QPixmap QuillBitmaps::KeyButtonBitmap(bool pressed) {
  QImage image(kKeyButtonWidth, kKeyButtonHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawButtonEdge(painter, kKeyButtonWidth, kKeyButtonHeight, pressed);
  // Five white keys with three black keys; pressed, the picture moves down
  // and right by one pixel as a pushed button's face does.
  const int shift = pressed ? 1 : 0;
  const int left = 5 + shift, top = 4 + shift, keyWidth = 4, keys = 5, height = 11;
  const QColor edge(64, 64, 64);
  painter.fillRect(left, top, keys * keyWidth + 1, height, edge);
  for (int k = 0; k < keys; ++k)
    painter.fillRect(left + 1 + k * keyWidth, top + 1, keyWidth - 1, height - 2, Qt::white);
  for (int k : {1, 2, 4}) painter.fillRect(left + k * keyWidth - 1, top + 1, 3, 6, Qt::black);
  painter.end();
  return QPixmap::fromImage(image);
}

QImage QuillBitmaps::KeyboardImage() { return DrawKeyboardPicture(); }

QImage QuillBitmaps::ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  DrawIcon(painter, size);
  painter.end();
  return image;
}

QIcon QuillBitmaps::ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}
