// SPDX-License-Identifier: MIT
#pragma once

#include "ui/controls/CBitmapCycleButton.h"

class PerformanceEngine;

/// The curve button of one controller row: each step stores the picture's index
/// as that input's response curve in the current configuration.
class CCurveButton : public CBitmapCycleButton {
  Q_OBJECT

 public:
  /// `controlId` is the button's id in the window (1065..1069, 1091..1093); it
  /// also becomes the object name.
  CCurveButton(int controlId, PerformanceEngine& engine, QWidget* parent = nullptr);

  /// The controller input of a curve button id, or -1 for any other id.
  static int InputForControl(int controlId);

 protected:
  void OnValueChanged() override;

 private:
  int controlId_;
  PerformanceEngine& engine_;
};
