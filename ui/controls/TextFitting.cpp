// SPDX-License-Identifier: MIT
#include "ui/controls/TextFitting.h"

#include <QFontMetrics>

namespace {

// One pixel smaller; a font given in points shrinks by the points of a pixel at 96 dpi.
QFont OneSizeSmaller(QFont font) {
  if (font.pixelSize() > 1) {
    font.setPixelSize(font.pixelSize() - 1);
  } else if (font.pointSizeF() > 1.0) {
    font.setPointSizeF(font.pointSizeF() - 0.75);
  }
  return font;
}

}  // namespace

FittedText FitText(const QString& text, const QFont& font, int width, const QPaintDevice* device,
                   Qt::TextElideMode elide) {
  QFont tried = font;
  for (int shrink = 0;; ++shrink) {
    const QFontMetrics metrics(tried, device);
    if (metrics.horizontalAdvance(text) <= width) return {tried, text, false};
    if (shrink == kMaxFitShrink) return {tried, metrics.elidedText(text, elide, width), true};
    tried = OneSizeSmaller(tried);
  }
}
