// SPDX-License-Identifier: MIT
#include "ui/controls/CCurveButton.h"

CCurveButton::CCurveButton(int controlId, QWidget* parent) : CBitmapCycleButton(parent), controlId_(controlId) {
  setObjectName(QString::number(controlId));
  connect(this, &CBitmapCycleButton::ValueChanged, this, [this](qsizetype index) {
    const int input = InputForControl(controlId_);
    if (input >= 0) emit CurveChanged(input, static_cast<uint16_t>(index));
  });
}

int CCurveButton::InputForControl(int controlId) {
  if (controlId >= 1065 && controlId <= 1069) return controlId - 1065;      // X, Y, pressure, tilt, angle
  if (controlId >= 1091 && controlId <= 1093) return controlId - 1091 + 5;  // the colour inputs
  return -1;
}
