// SPDX-License-Identifier: MIT
#pragma once

#include "model/MessageSink.h"

class QWidget;
class TroubleLine;

/// The engine's and the start-up's message boxes as modal Qt boxes titled with
/// the program's name, or passed to `boxes` when one is given (tests record
/// them). MIDI trouble while playing never opens a box: the first report of an
/// episode goes to standard error and into the trouble line (when there is
/// one), the rest of the episode is not repeated, and the line says when MIDI
/// works again.
class QtMessageSink : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* parent = nullptr, MessageSink* boxes = nullptr) : parent_(parent), boxes_(boxes) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetTroubleLine(TroubleLine* line) { troubleLine_ = line; }

  void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Warning) override;
  bool AskYesNo(std::string_view text) override;
  void ReportTrouble(std::string_view text) override;
  void TroubleResolved() override;
  bool InTrouble() const { return inTrouble_; }

 private:
  QWidget* parent_;
  MessageSink* boxes_;
  TroubleLine* troubleLine_ = nullptr;
  bool inTrouble_ = false;
};
