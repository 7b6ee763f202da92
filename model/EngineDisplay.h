// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

#include "model/Configuration.h"

/// Control ids of the displays the engine writes to.
namespace DisplayId {
inline constexpr int kToolName = 1006;
inline constexpr int kPacketCounter = 1017;
inline constexpr int kNoteName = 1048;
/// Value display of each controller input, in ControllerInput order.
inline constexpr int kValue[kControllerInputCount] = {1043, 1044, 1045, 1046, 1047, 1082, 1083, 1084};
}  // namespace DisplayId

/// What the engine shows: value displays, note and tool names, the packet
/// counter, the pen's status, repaint requests and the controls of the current
/// configuration. The window shows it all; quill-replay prints the texts.
class EngineDisplay {
 public:
  virtual ~EngineDisplay() = default;
  /// Sets the text of one of the displays in DisplayId.
  virtual void SetDisplayText(int controlId, std::string_view text) = 0;
  // The pen's status, shown beside the tablet area; a display without one
  // (quill-replay prints only the texts above) ignores them.
  /// The pen moved: its position in screen pixels, as the packet gave it.
  virtual void ShowPenPosition(int32_t /*x*/, int32_t /*y*/) {}
  /// The pen's pressure changed (0..1023).
  virtual void ShowPenPressure(uint32_t /*pressure*/) {}
  /// The pen's orientation changed, in tenths of a degree.
  virtual void ShowPenOrientation(int32_t /*azimuth*/, int32_t /*altitude*/) {}
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
  /// The configuration on show has another picture path: a chosen picture
  /// arrived, or one a file named did not decode and was forgotten.
  virtual void ShowPicturePath(const Configuration& /*config*/) {}
};
