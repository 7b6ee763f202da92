// SPDX-License-Identifier: MIT
#include "ui/controls/ActivityLight.h"

#include <QPainter>
#include <algorithm>

ActivityLight::ActivityLight(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  darken_.setSingleShot(true);
  darken_.setInterval(kLitMilliseconds);
  connect(&darken_, &QTimer::timeout, this, [this] {
    lit_ = false;
    update();
  });
}

void ActivityLight::Blink() {
  darken_.start();
  if (lit_) return;
  lit_ = true;
  update();
}

void ActivityLight::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 2;
  const QRectF lamp((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  painter.setPen(QPen(QColor(40, 40, 40), 1));
  painter.setBrush(lit_ ? QColor(40, 220, 60) : QColor(30, 70, 35));
  painter.drawEllipse(lamp);
}
