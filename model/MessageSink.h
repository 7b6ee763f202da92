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
  /// MIDI trouble while playing, shown without stopping the performance (no modal box in
  /// the window); by default a message box, as quill-replay prints every one.
  virtual void ReportTrouble(std::string_view text) { ShowMessage(text); }
  /// MIDI works again: an episode of trouble is over.
  virtual void TroubleResolved() {}
};
