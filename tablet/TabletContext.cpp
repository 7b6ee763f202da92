// SPDX-License-Identifier: MIT
#include "tablet/TabletContext.h"

#include <utility>

bool CheckTabletPresence(const TabletService& tablet, MessageSink& messages, TabletMakers makers) {
  if (!tablet.ServicesPresent()) {
    messages.ShowMessage("WinTab services not available!", MessageIcon::Error);
    return false;
  }
  // Only the five capitals count; anything may follow them.
  if (makers == TabletMakers::WacomOnly && !tablet.EmulatesPen() && tablet.DeviceName().compare(0, 5, "WACOM") != 0) {
    messages.ShowMessage("Wacom tablet not installed!", MessageIcon::Error);
    return false;
  }
  return true;
}

bool OpenTabletContext(TabletService& tablet, TabletService::PacketHandler handler) {
  if (!tablet.OpenContext(std::move(handler))) return false;
  tablet.Enable(true);
  return true;
}

void OnTabletActivate(TabletService& tablet, bool active) {
  tablet.Enable(active);
  tablet.Overlap(true);
}

void CloseTabletContext(TabletService& tablet, bool initialized) {
  if (initialized) tablet.Close();
}

std::string StandardToolName(uint32_t cursor) {
  switch (cursor) {
    case PenCursor::kPuck: return "Puck";
    case PenCursor::kPen: return "Pressure Stylus";
    case PenCursor::kEraser: return "Eraser";
    default: return {};
  }
}
