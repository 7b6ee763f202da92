// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>

#include "ui/controls/FittedLabel.h"

/// One line that tells of trouble without stopping anyone: shown in red while
/// the trouble lasts, then "works again" in green for a few seconds, then
/// hidden. Hidden while there is nothing to tell.
class TroubleLine : public FittedLabel {
  Q_OBJECT

 public:
  /// How long the line says that things work again before it goes.
  static constexpr int kResolvedMilliseconds = 5000;

  explicit TroubleLine(QWidget* parent = nullptr);
  void ShowTrouble(const QString& text);
  void ShowResolved(const QString& text);

 private:
  void ShowInColour(const QString& text, const QColor& colour);

  QTimer hide_;
};
