// SPDX-License-Identifier: MIT
#include "ui/window/KeyLimitButton.h"

#include <QPainter>

#include "ui/bitmaps/QuillBitmaps.h"

KeyLimitButton::KeyLimitButton(QWidget* parent) : QAbstractButton(parent) {}

QSize KeyLimitButton::sizeHint() const { return QSize(31, 20); }

void KeyLimitButton::paintEvent(QPaintEvent*) {
  // The picture keeps its own size inside the button's template rectangle.
  QPainter painter(this);
  painter.drawPixmap(0, 0, QuillBitmaps::KeyButtonBitmap(isDown()));
}
