// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

#include "ui/controls/TextFitting.h"

/// A one-line label that keeps its text inside its rectangle: a text too wide
/// is drawn a little smaller, and one still too wide is shortened with "…"
/// and shown whole in a tool tip. text() is always the whole text.
class FittedLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  /// The font and text drawn now.
  FittedText Shown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};
