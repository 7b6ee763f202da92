// SPDX-License-Identifier: MIT
#include "engine/WaitingPackets.h"

namespace {
// Two packets of one stretch: only where the pen is and how hard it presses
// differ, not whether it presses.
bool SameStretch(const TabletPacket& a, const TabletPacket& b) {
  return a.cursor == b.cursor && a.buttons == b.buttons && (a.normalPressure == 0) == (b.normalPressure == 0);
}
}  // namespace

void WaitingPackets::Add(const TabletPacket& packet, const PacketGeometry& geometry) {
  if (!packets_.empty() && SameStretch(packets_.back().packet, packet)) {
    packets_.back() = {packet, geometry};
    return;
  }
  if (packets_.size() == kMaxWaiting) packets_.pop_front();
  packets_.push_back({packet, geometry});
}

std::optional<WaitingPacket> WaitingPackets::Take() {
  if (packets_.empty()) return std::nullopt;
  WaitingPacket oldest = packets_.front();
  packets_.pop_front();
  return oldest;
}
