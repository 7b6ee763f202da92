// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

#include "ui/controls/TextFitting.h"

/// A drop-down list whose closed box keeps the chosen entry inside it: drawn
/// a little smaller when too wide, shortened with "…" (and shown whole in a
/// tool tip) when still too wide. The opened list shows every entry whole.
class FittedComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  /// The font and text the closed box draws now.
  FittedText Shown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};
