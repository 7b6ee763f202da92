// SPDX-License-Identifier: MIT
#include "ui/controls/CBitmapCycleButton.h"

#include <QPainter>
#include <utility>

CBitmapCycleButton::CBitmapCycleButton(QWidget* parent) : QAbstractButton(parent) {
  connect(this, &QAbstractButton::clicked, this, &CBitmapCycleButton::Step);
}

void CBitmapCycleButton::SetBitmaps(QList<QPixmap> bitmaps) { bitmaps_ = std::move(bitmaps); }

bool CBitmapCycleButton::SetCurrent(qsizetype index) {
  if (index < 0 || index >= bitmaps_.size()) return false;
  current_ = index;
  return true;
}

QSize CBitmapCycleButton::sizeHint() const {
  if (!bitmaps_.isEmpty()) return bitmaps_.front().deviceIndependentSize().toSize();
  return QSize(24, 20);
}

// A shorter list given after the button was set may leave the index past its
// end: the next step starts the list again rather than running beyond it.
void CBitmapCycleButton::Step() {
  ++current_;
  if (current_ >= bitmaps_.size()) current_ = 0;
  update();
  emit ValueChanged(current_);
}

// Only the picture is drawn, unscaled from the top left: no pressed, focus or
// disabled look.
void CBitmapCycleButton::paintEvent(QPaintEvent*) {
  if (current_ >= bitmaps_.size()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, bitmaps_[current_]);
}
