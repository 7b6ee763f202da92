// SPDX-License-Identifier: MIT
#pragma once

#include "model/MessageSink.h"
#include "tablet/TabletService.h"

/// Which makers' tablets the start-up check accepts.
enum class TabletMakers {
  WacomOnly,  ///< the device name must begin with "WACOM"
  Any,        ///< any tablet the layer found (chosen with --any-tablet)
};

/// Start-up check: tablet services exist and the tablet is a Wacom device (or
/// any tablet, when asked; a pen played with the mouse has no maker to check).
/// Shows "WinTab services not available!" or "Wacom tablet not installed!"
/// with the error icon and returns false when the program must not go on.
bool CheckTabletPresence(const TabletService& tablet, MessageSink& messages,
                         TabletMakers makers = TabletMakers::WacomOnly);

/// Opens the context for the main window, enabled from the start. False on
/// failure; the caller then shows "Could not open tablet context!".
bool OpenTabletContext(TabletService& tablet, TabletService::PacketHandler handler);

/// Follows the window's activation: Enable(active), then Overlap(true), on
/// deactivation as well.
void OnTabletActivate(TabletService& tablet, bool active);

/// Closes the context when the window goes, only if its initialisation had
/// completed (and so had opened the context).
void CloseTabletContext(TabletService& tablet, bool initialized);

/// The tool names of the cursor numbers every layer reports: 0 "Puck",
/// 1 "Pressure Stylus", 2 "Eraser"; empty for any other number.
std::string StandardToolName(uint32_t cursor);
