// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Configuration.h"

/// The texts the engine shows, named for what they say. Where each appears is
/// the display's business: the window has a label for each, quill-replay
/// prints them.
enum class Readout {
  PacketCount,  ///< packets handled since the tablet context opened
  NoteName,     ///< the note of the band under the pen
  ToolName,     ///< the tool the pen reports
  Value0,       ///< the last value sent by the X row; the other rows follow in ControllerInput order
  Value1,       ///< Y
  Value2,       ///< pressure
  Value3,       ///< tilt
  Value4,       ///< angle
  Value5,       ///< hue or red
  Value6,       ///< saturation or green
  Value7,       ///< brightness or blue
};
inline constexpr int kReadoutCount = static_cast<int>(Readout::Value7) + 1;  ///< texts the engine shows
static_assert(kReadoutCount - static_cast<int>(Readout::Value0) == kControllerInputCount);

/// The readout of a controller row's value (`input` is a ControllerInput).
constexpr Readout ValueReadout(int input) { return static_cast<Readout>(static_cast<int>(Readout::Value0) + input); }

/// What the engine shows: the readouts (row values, note and tool names, the
/// packet counter), the pen's status, repaint requests and the controls of the current
/// configuration. The window shows it all; quill-replay prints the texts.
class EngineDisplay {
 public:
  virtual ~EngineDisplay() = default;
  /// Sets the text of a readout.
  virtual void SetDisplayText(Readout readout, std::string_view text) = 0;
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
  /// The presets were loaded from, or saved to, the file at `path`.
  virtual void ShowPresetsFile(const std::string& /*path*/) {}
};
