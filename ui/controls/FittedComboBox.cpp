// SPDX-License-Identifier: MIT
#include "ui/controls/FittedComboBox.h"

#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>

FittedText FittedComboBox::Shown() const {
  QStyleOptionComboBox option;
  initStyleOption(&option);
  // The style draws the label one pixel inside the field on either side.
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  return FitText(option.currentText, font(), field.width() - 2, this);
}

// As the plain box paints itself, with the label in the fitted font and text.
void FittedComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const FittedText shown = Shown();
  option.currentText = shown.text;
  painter.setFont(shown.font);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool FittedComboBox::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && Shown().shortened) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), currentText(), this);
    return true;
  }
  return QComboBox::event(event);
}
