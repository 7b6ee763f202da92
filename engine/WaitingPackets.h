// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "model/TabletPacket.h"

/// A pen packet kept for later, with the sizes it came with.
struct WaitingPacket {
  TabletPacket packet;
  PacketGeometry geometry;
};

/// Pen packets that arrived while the engine was inside another call (the
/// nested loop of a message box keeps delivering them). They run in arrival
/// order once that call is done. Within one stretch of packets with the same
/// tool, the same buttons and the pen either pressing or not, only the newest
/// is kept: the engine then goes straight to where the pen is now, while every
/// touch, lift, tool and button change still runs in its turn. So a box left
/// open for minutes keeps a handful of packets, not thousands.
class WaitingPackets {
 public:
  /// More than this many stretches in one box: the oldest is dropped (the
  /// newest packet, which tells where the pen is now, always stays).
  static constexpr size_t kMaxWaiting = 256;

  void Add(const TabletPacket& packet, const PacketGeometry& geometry);
  /// The oldest waiting packet, taken out; nothing when none waits.
  std::optional<WaitingPacket> Take();
  size_t Size() const { return packets_.size(); }

 private:
  std::deque<WaitingPacket> packets_;
};
