// SPDX-License-Identifier: MIT
#include "ui/controls/FittedLabel.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

FittedText FittedLabel::Shown() const { return FitText(text(), font(), contentsRect().width(), this); }

void FittedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const FittedText shown = Shown();
  painter.setFont(shown.font);
  style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shown.text, foregroundRole());
}

bool FittedLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && Shown().shortened) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    return true;
  }
  return QLabel::event(event);
}
