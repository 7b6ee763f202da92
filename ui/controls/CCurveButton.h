// SPDX-License-Identifier: MIT
#pragma once

#include "ui/controls/CBitmapCycleButton.h"

/// The curve button of one controller row: it shows the row's response curve
/// and reports every step as that input's new curve code.
class CCurveButton : public CBitmapCycleButton {
  Q_OBJECT

 public:
  /// `controlId` is the button's id in the window (1065..1069, 1091..1093); it
  /// also becomes the object name.
  explicit CCurveButton(int controlId, QWidget* parent = nullptr);

  /// The controller input of a curve button id, or -1 for any other id.
  static int InputForControl(int controlId);

 signals:
  /// A click stepped the button of `input` to curve `code`.
  void CurveChanged(int input, uint16_t code);

 private:
  int controlId_;
};
