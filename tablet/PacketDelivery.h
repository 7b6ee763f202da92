// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

#include "tablet/TabletService.h"

/// The one way packets reach the window, shared by every tablet layer: they
/// pass only while the context is open and enabled, always within the ranges
/// the engine expects, and a pen that was pressing or holding a button when
/// the context is disabled is lifted first, so no note keeps sounding while
/// the window is inactive.
class PacketDelivery {
 public:
  /// Starts delivering to `handler`, enabled.
  void Open(TabletService::PacketHandler handler);
  /// Disabling lifts a pressing pen before packets stop.
  void Enable(bool enable);
  /// Stops delivering for good; nothing is sent on closing.
  void Close();

  bool IsOpen() const { return open_; }
  bool IsEnabled() const { return open_ && enabled_; }

  /// Hands one packet to the window when open and enabled, its values held
  /// in the ranges for a screen of the given size. False when dropped.
  bool Deliver(TabletPacket packet, int32_t screenWidth, int32_t screenHeight);

  /// The packet most recently handed over, if any.
  const std::optional<TabletPacket>& LastDelivered() const { return last_; }

 private:
  TabletService::PacketHandler handler_;
  bool open_ = false;
  bool enabled_ = false;
  std::optional<TabletPacket> last_;
  int32_t lastScreenWidth_ = 0;
  int32_t lastScreenHeight_ = 0;
};

/// Holds every field of a packet in the range the engine expects: x and y
/// inside the screen, pressure 0..1023, azimuth 0..3599, altitude 0..900,
/// cursor 0..2 and the three button bits.
TabletPacket ClampPacket(TabletPacket packet, int32_t screenWidth, int32_t screenHeight);
