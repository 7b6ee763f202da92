// SPDX-License-Identifier: MIT
#pragma once

#include "ui/controls/CBitmapCycleButton.h"

/// The curve button of one controller row: it shows the row's response curve
/// and reports every step as that input's new curve code.
class CCurveButton : public CBitmapCycleButton {
  Q_OBJECT

 public:
  /// The button of controller input `input` (a ControllerInput).
  explicit CCurveButton(int input, QWidget* parent = nullptr);

  int Input() const { return input_; }

 signals:
  /// A click stepped the button of `input` to curve `code`.
  void CurveChanged(int input, uint16_t code);

 private:
  int input_;
};
