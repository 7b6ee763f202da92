// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

/// Icons of the message boxes the program shows.
enum class MessageIcon {
  Warning,   ///< the default of an OK box
  Error,     ///< tablet failures
  Question,  ///< the Yes/No question
};

/// The message boxes: the window shows them modally, quill-replay prints them,
/// tests record them.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// A modal OK box with the given text.
  virtual void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Warning) = 0;
  /// A modal Yes/No question; true for Yes.
  virtual bool AskYesNo(std::string_view text) = 0;

  /// MIDI trouble while playing ("MIDI error", a destination that cannot be
  /// connected), reported for every failure: a sink that shows it while the
  /// pen plays shows it without a modal box, once per episode. By default a
  /// box, as quill-replay prints every one.
  virtual void ReportTrouble(std::string_view text) { ShowMessage(text); }
  /// MIDI works again: the episode of trouble is over.
  virtual void TroubleResolved() {}
};
