// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

#include "model/MessageSink.h"

/// Shows each message through another sink and writes it to standard error
/// first ("quill: TEXT"), so that a start-up failure that ends the program is
/// in the log of whoever started it, not only in a box someone had to see.
class EchoingMessageSink : public MessageSink {
 public:
  /// `advice`, when given, follows each message on standard error (before the
  /// box, which may wait for a click): what to do about it.
  explicit EchoingMessageSink(MessageSink& shown, std::string advice = {})
      : shown_(shown), advice_(std::move(advice)) {}

  void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Warning) override;
  /// Asked through the other sink only: an answer is no failure to report.
  bool AskYesNo(std::string_view text) override { return shown_.AskYesNo(text); }

 private:
  MessageSink& shown_;
  std::string advice_;
};
