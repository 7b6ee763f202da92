// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tablet/layers/WidgetTabletService.h"

/// Where pen input comes from, chosen with --tablet=auto|evdev|qt|mouse|recording:FILE.
enum class TabletLayer {
  Default,    ///< no option: evdev when a readable tablet node exists, otherwise qt
  Auto,       ///< evdev, else qt when Qt lists a tablet, else the mouse (with a notice)
  Evdev,      ///< the tablet's event node: the whole surface, wherever the pointer is
  Qt,         ///< Qt tablet events over the tablet area
  Mouse,      ///< the mouse over the tablet area plays the pen
  Recording,  ///< a recorded tablet (an evemu file) played in real time, over and over
};

/// The option value that chooses a recording: "recording:" and the file.
inline constexpr std::string_view kRecordingLayerPrefix = "recording:";

/// "auto", "evdev", "qt" or "mouse"; nothing for any other name (a recording
/// is named with kRecordingLayerPrefix and its file).
std::optional<TabletLayer> ParseTabletLayer(std::string_view name);

/// Creates the layer. Default: evdev when a readable tablet node exists,
/// otherwise qt (whose presence check then decides). Auto: the same, but
/// without a tablet Qt knows of either, the mouse plays the pen, and a notice
/// on standard error says how to get the tablet working. Writes advice to
/// standard error when a tablet node exists but cannot be read, and when no
/// tablet is found at all. Recording: the file `recording` (read whole now);
/// one that cannot be read, or records no tablet pen, is said so on standard
/// error and gives a layer without services. Call it once the QApplication
/// exists: the layers read screens, input devices and events.
std::unique_ptr<WidgetTabletService> CreateTabletService(TabletLayer layer, const std::string& recording = {});
