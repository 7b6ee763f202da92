// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "ui/controls/FittedComboBox.h"

/// A drop-down list that can have its entries brought up to date each time
/// it opens, just before the list is measured and shown (the MIDI port box
/// lists what the system offers at that moment). Without a handler it is a
/// plain FittedComboBox (every list box of the window is one).
class RefreshingComboBox : public FittedComboBox {
  Q_OBJECT

 public:
  using FittedComboBox::FittedComboBox;

  /// Runs before every opening; it may replace the entries.
  void SetBeforeOpening(std::function<void()> refresh) { beforeOpening_ = std::move(refresh); }

  void showPopup() override {
    if (beforeOpening_) beforeOpening_();
    FittedComboBox::showPopup();
  }

 private:
  std::function<void()> beforeOpening_;
};
