// SPDX-License-Identifier: MIT
#include "ui/controls/TroubleLine.h"

TroubleLine::TroubleLine(QWidget* parent) : FittedLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  hide_.setSingleShot(true);
  hide_.setInterval(kResolvedMilliseconds);
  connect(&hide_, &QTimer::timeout, this, [this] {
    clear();
    hide();
  });
  hide();
}

void TroubleLine::ShowTrouble(const QString& text) {
  hide_.stop();
  ShowInColour(text, QColor(190, 0, 0));
}

void TroubleLine::ShowResolved(const QString& text) {
  ShowInColour(text, QColor(0, 120, 30));
  hide_.start();
}

void TroubleLine::ShowInColour(const QString& text, const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, colour);
  setPalette(p);
  setText(text);
  show();
}
