// SPDX-License-Identifier: MIT
#pragma once

#include <linux/input.h>

#include <cstdint>
#include <optional>

#include "model/TabletPacket.h"

/// Range of one absolute axis as the device announces it.
struct EvdevAxisInfo {
  bool present = false;  ///< the device reports this axis
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t resolution = 0;  ///< units per mm, or per radian for tilt; 0 = not given
};

/// The axes of a tablet pen node that packets are made from.
struct EvdevTabletAxes {
  EvdevAxisInfo x;
  EvdevAxisInfo y;
  EvdevAxisInfo pressure;
  EvdevAxisInfo tiltX;
  EvdevAxisInfo tiltY;

  /// The pen reports its orientation only when both tilt axes exist.
  bool HasTilt() const { return tiltX.present && tiltY.present; }
};

/// The pen as the device last described it, raw values in device units. All
/// axis state lives here so the conversion happens in one place.
struct EvdevPenState {
  int32_t x = 0;
  int32_t y = 0;
  int32_t pressure = 0;
  std::optional<int32_t> tiltX;  ///< unknown until the first event: upright
  std::optional<int32_t> tiltY;
  uint32_t toolsInRange = 0;          ///< one bit per cursor number whose tool is in proximity
  uint32_t cursor = PenCursor::kPen;  ///< the tool that came into proximity last
  uint32_t buttons = 0;               ///< packet button mask
  uint32_t time = 0;                  ///< milliseconds, from the event time stamps
};

/// Turns the event stream of a tablet pen node (struct input_event records,
/// fed one at a time) into TabletPackets: one at the end of each frame
/// (SYN_REPORT) that changes what the pen reports, in screen pixels with
/// pressure 0..1023 and orientation in tenths of a degree. A pen that leaves
/// proximity or a device that goes away while pressing or holding a button
/// gives a lift packet (pressure and buttons 0) at the last position, mapped
/// onto the screen of that moment, so that no note is left sounding. A pen that never names its tool is the pen tip,
/// in proximity whenever it reports.
class EvdevFrameDecoder {
 public:
  explicit EvdevFrameDecoder(const EvdevTabletAxes& axes, bool namesItsTools = true);

  /// The screen the tablet surface is mapped onto; read for every packet.
  void SetScreenSize(int32_t width, int32_t height);

  /// Takes one event; returns the packet that ends a frame, if any.
  std::optional<TabletPacket> Feed(const input_event& event);

  /// The device is gone: returns the lift packet if the pen was pressing or
  /// holding a button, and forgets the pen.
  std::optional<TabletPacket> DeviceLost();

  const EvdevTabletAxes& Axes() const { return axes_; }

 private:
  std::optional<TabletPacket> EndFrame();
  std::optional<TabletPacket> Lift();
  void ForgetPen();
  TabletPacket MakePacket() const;
  void SetTool(uint32_t cursor, bool inRange);
  void SetButton(uint32_t bit, bool down);

  EvdevTabletAxes axes_;
  bool namesItsTools_;
  EvdevPenState state_;
  int32_t screenWidth_ = 1920;
  int32_t screenHeight_ = 1080;
  std::optional<TabletPacket> lastPacket_;  ///< the packet most recently returned
  int32_t lastX_ = 0;                       ///< its position in device units
  int32_t lastY_ = 0;
};
