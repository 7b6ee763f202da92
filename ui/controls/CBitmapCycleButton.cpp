// SPDX-License-Identifier: MIT
#include "ui/controls/CBitmapCycleButton.h"

#include <QPainter>

namespace {
constexpr unsigned kMaxBitmaps = 256;
}

CBitmapCycleButton::CBitmapCycleButton(QWidget* parent) : QAbstractButton(parent) {
  connect(this, &QAbstractButton::clicked, this, &CBitmapCycleButton::Step);
}

bool CBitmapCycleButton::SetBitmaps(unsigned count, const QPixmap* list) {
  if (count > kMaxBitmaps || list == nullptr) return false;
  for (unsigned i = 1; i < count; ++i)
    if (list[i].size() != list[0].size()) return false;
  count_ = count;
  bitmaps_ = list;
  return true;
}

bool CBitmapCycleButton::SetCurrent(unsigned index) {
  if (index >= count_) return false;
  current_ = index;
  return true;
}

QSize CBitmapCycleButton::sizeHint() const {
  if (bitmaps_ && count_ > 0) return bitmaps_[0].deviceIndependentSize().toSize();
  return QSize(24, 20);
}

void CBitmapCycleButton::OnValueChanged() {}

// A shorter list given after the button was set may leave the index past its
// end: the next step starts the list again rather than running beyond it.
void CBitmapCycleButton::Step() {
  ++current_;
  if (current_ >= count_) current_ = 0;
  update();
  OnValueChanged();
}

// Only the picture is drawn, unscaled from the top left: no pressed, focus or
// disabled look.
void CBitmapCycleButton::paintEvent(QPaintEvent*) {
  if (!bitmaps_ || current_ >= count_) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, bitmaps_[current_]);
}
