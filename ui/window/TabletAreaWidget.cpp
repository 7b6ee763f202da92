// SPDX-License-Identifier: MIT
#include "ui/window/TabletAreaWidget.h"

#include <QPainter>

TabletAreaWidget::TabletAreaWidget(QWidget* parent) : QWidget(parent) {
  // The painting covers every pixel, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setTabletTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void TabletAreaWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (paint_) paint_(painter);
}
