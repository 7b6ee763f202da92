// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "tablet/layers/WidgetTabletService.h"

/// Where pen input comes from, chosen with --tablet=evdev|qt|mouse.
enum class TabletLayer {
  Automatic,  ///< evdev when a readable tablet node exists, otherwise qt
  Evdev,      ///< the tablet's event node: the whole surface, wherever the pointer is
  Qt,         ///< Qt tablet events over the tablet area
  Mouse,      ///< the mouse over the tablet area plays the pen
};

/// "evdev", "qt" or "mouse"; nothing for any other name.
std::optional<TabletLayer> ParseTabletLayer(std::string_view name);

/// Creates the layer; Automatic: evdev when a readable tablet node exists,
/// otherwise qt. Writes advice to standard error when a tablet node exists
/// but cannot be read, and when no tablet is found at all. Call it once the
/// QApplication exists: the layers read screens, input devices and events.
std::unique_ptr<WidgetTabletService> CreateTabletService(TabletLayer layer);
