// SPDX-License-Identifier: MIT
#pragma once

#include "model/MessageSink.h"

class QWidget;

/// The engine's and the start-up's message boxes as modal Qt boxes titled with
/// the program's name.
class QtMessageSink : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Warning) override;
  bool AskYesNo(std::string_view text) override;

 private:
  QWidget* parent_;
};
