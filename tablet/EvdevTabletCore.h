// SPDX-License-Identifier: MIT
#pragma once

#include <linux/input.h>

#include <memory>
#include <optional>

#include "tablet/EvdevDeviceInfo.h"
#include "tablet/EvdevFrameDecoder.h"
#include "tablet/PacketDelivery.h"
#include "tablet/TabletService.h"

/// All the evdev layer does that needs no kernel: it takes a described device
/// if it is a tablet pen, answers for it (name, tools, orientation), and turns
/// its events into packets for the window's context. Whoever reads the events
/// (a node, a recording) feeds them in with the size of the screen of the
/// moment, so a recording plays exactly as the node it came from.
class EvdevTabletCore : public TabletService {
 public:
  /// Takes the device when it is a tablet pen; false (and nothing changes)
  /// otherwise. A device taken before is replaced, without a lift: call
  /// DeviceLost first when it went away.
  bool SetDevice(const EvdevDeviceInfo& device);
  /// The device went away: a pen that was pressing or holding a button is
  /// lifted where it was (at once: no pen event is behind it), and its
  /// events are no longer expected.
  void DeviceLost(int32_t screenWidth, int32_t screenHeight);
  /// One event of the device; a packet it completes goes to the context with
  /// `eventTime`, when the event happened (0: no time, as quill-replay plays).
  void Feed(const input_event& event, int32_t screenWidth, int32_t screenHeight, int64_t eventTime = 0);

  /// Whether a device is taken now (ServicesPresent stays true once one was).
  bool HasDevice() const { return decoder_ != nullptr; }
  const EvdevDeviceInfo& Device() const { return device_; }
  /// The packet most recently handed to the context, if any.
  const std::optional<TabletPacket>& LastDelivered() const { return delivery_.LastDelivered(); }

  /// True once a tablet pen has been taken.
  bool ServicesPresent() const override { return present_; }
  /// "WACOM " and the product name for a Wacom tablet, else the device's name.
  std::string DeviceName() const override { return name_; }
  std::string ToolName(uint32_t cursor) const override;
  /// Tenths of a degree when the pen reports both tilt axes.
  OrientationAxes Orientation() const override;
  bool OpenContext(PacketHandler handler) override;
  void Enable(bool enable) override { delivery_.Enable(enable); }
  void Overlap(bool) override {}
  void Close() override { delivery_.Close(); }

 private:
  void Deliver(std::optional<TabletPacket> packet, int32_t screenWidth, int32_t screenHeight, int64_t eventTime);

  bool present_ = false;
  std::string name_;
  EvdevDeviceInfo device_;
  std::unique_ptr<EvdevFrameDecoder> decoder_;
  PacketDelivery delivery_;
};
