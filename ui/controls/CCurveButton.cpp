// SPDX-License-Identifier: MIT
#include "ui/controls/CCurveButton.h"

CCurveButton::CCurveButton(int input, QWidget* parent) : CBitmapCycleButton(parent), input_(input) {
  connect(this, &CBitmapCycleButton::ValueChanged, this,
          [this](qsizetype index) { emit CurveChanged(input_, static_cast<uint16_t>(index)); });
}
