// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

#include "ui/controls/TextFitting.h"

/// A push button that shows a file path: a path too long for the button is
/// shortened in the middle, so the start and the file name stay in view, and
/// shown whole in a tool tip. text() is always the whole path.
class PathButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

  /// The font and text drawn now.
  FittedText Shown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};
