// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Configuration.h"

/// Control ids of the displays the engine writes to.
namespace DisplayId {
inline constexpr int kToolName = 1006;
inline constexpr int kPacketCounter = 1017;
inline constexpr int kNoteName = 1048;
/// Value display of each controller input, in ControllerInput order.
inline constexpr int kValue[kControllerInputCount] = {1043, 1044, 1045, 1046, 1047, 1082, 1083, 1084};
}  // namespace DisplayId

/// Icons of the message boxes the engine asks for.
enum class MessageIcon {
  Warning,   ///< the default of an OK box
  Error,     ///< tablet failures
  Question,  ///< the Yes/No question
};

/// The message boxes: the window shows them modally, tests record them.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// A modal OK box with the given text.
  virtual void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::Warning) = 0;
  /// A modal Yes/No question; true for Yes.
  virtual bool AskYesNo(std::string_view text) = 0;
};

/// What the engine shows: value displays, note and tool names, the packet
/// counter, repaint requests and the controls of the current configuration.
class EngineDisplay {
 public:
  virtual ~EngineDisplay() = default;
  /// Sets the text of one of the displays in DisplayId.
  virtual void SetDisplayText(int controlId, std::string_view text) = 0;
  /// The pen changed: repaint the tablet area (without erasing).
  virtual void InvalidateTabletArea() = 0;
  /// The slot, its configuration or its picture changed: repaint the window.
  virtual void InvalidateWindow() = 0;
  /// The section headers take these colours (white on the slot's colour).
  virtual void SetSectionHeaderColors(Rgb text, Rgb back) = 0;
  /// Showing a configuration, first part: the port and channel boxes.
  virtual void ShowPortAndChannel(const Configuration& config) = 0;
  /// Showing a configuration, second part: every other control, after the
  /// programme change was sent and the note list rebuilt.
  virtual void ShowSettings(const Configuration& config) = 0;
};

/// Tool names by cursor number, answered by the tablet layer.
class ToolNameSource {
 public:
  virtual ~ToolNameSource() = default;
  virtual std::string ToolName(uint32_t cursor) const = 0;
};
