// SPDX-License-Identifier: MIT
#include "ui/controls/PathButton.h"

#include <QHelpEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolTip>

FittedText PathButton::Shown() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  return FitText(text(), font(), contents.width(), this, Qt::ElideMiddle);
}

void PathButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const FittedText shown = Shown();
  option.text = shown.text;
  painter.setFont(shown.font);
  painter.drawControl(QStyle::CE_PushButton, option);
}

bool PathButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && Shown().shortened) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    return true;
  }
  return QPushButton::event(event);
}
