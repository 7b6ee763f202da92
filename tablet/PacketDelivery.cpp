// SPDX-License-Identifier: MIT
#include "tablet/PacketDelivery.h"

#include <algorithm>
#include <utility>

#include "tablet/TabletScaling.h"

void PacketDelivery::Open(TabletService::PacketHandler handler) {
  handler_ = std::move(handler);
  open_ = true;
  enabled_ = true;
  last_.reset();
}

void PacketDelivery::Enable(bool enable) {
  if (!enable && IsEnabled() && last_ && (last_->normalPressure != 0 || last_->buttons != 0)) {
    TabletPacket lift = *last_;
    lift.normalPressure = 0;
    lift.buttons = 0;
    lift.eventTime = 0;  // no pen event behind it: at once
    Deliver(lift, lastScreenWidth_, lastScreenHeight_);
  }
  enabled_ = enable;
}

void PacketDelivery::Close() {
  open_ = false;
  enabled_ = false;
}

bool PacketDelivery::Deliver(TabletPacket packet, int32_t screenWidth, int32_t screenHeight) {
  if (!IsEnabled() || !handler_) return false;
  last_ = ClampPacket(packet, screenWidth, screenHeight);
  lastScreenWidth_ = screenWidth;
  lastScreenHeight_ = screenHeight;
  // Copies: the handler may run a nested event loop that delivers more
  // packets, or close and reopen the context.
  const TabletPacket delivered = *last_;
  const TabletService::PacketHandler handler = handler_;
  handler(delivered);
  return true;
}

TabletPacket ClampPacket(TabletPacket packet, int32_t screenWidth, int32_t screenHeight) {
  packet.x = std::clamp(packet.x, 0, std::max(screenWidth - 1, 0));
  packet.y = std::clamp(packet.y, 0, std::max(screenHeight - 1, 0));
  packet.normalPressure = std::min(packet.normalPressure, kMaxPacketPressure);
  packet.azimuth %= 3600;
  if (packet.azimuth < 0) packet.azimuth += 3600;
  packet.altitude = std::clamp(packet.altitude, 0, 900);
  packet.cursor = std::min(packet.cursor, PenCursor::kLast);
  packet.buttons &= PenButton::kAll;
  return packet;
}
