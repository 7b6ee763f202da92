// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

/// Cursor numbers: the tool a packet comes from.
namespace PenCursor {
inline constexpr uint32_t kPuck = 0;    ///< puck, lens cursor or mouse
inline constexpr uint32_t kPen = 1;     ///< the pen's tip: plays single notes
inline constexpr uint32_t kEraser = 2;  ///< the pen's other end: plays chords
inline constexpr uint32_t kLast = kEraser;
}  // namespace PenCursor

/// Bits of a packet's button mask.
namespace PenButton {
inline constexpr uint32_t kTip = 0x1;           ///< the tip touches the surface
inline constexpr uint32_t kBarrel = 0x2;        ///< first barrel switch: controller mode
inline constexpr uint32_t kSecondBarrel = 0x4;  ///< second barrel switch
inline constexpr uint32_t kAll = kTip | kBarrel | kSecondBarrel;
}  // namespace PenButton

/// The pressure packets carry at most (0 when the pen does not press).
inline constexpr uint32_t kMaxPacketPressure = 1023;

/// The pressure in eighths, 0..127 for a packet's 0..1023: the scale of the
/// note velocity, the pressure controller and the pen marker's radius.
inline constexpr uint32_t PressureEighths(uint32_t pressure) { return pressure >> 3; }

/// One pen sample as a tablet layer delivers it: position in screen pixels
/// (origin top left), pressure 0..1023, orientation in tenths of a degree.
struct TabletPacket {
  uint32_t time = 0;            ///< driver time stamp, read by nothing
  uint32_t cursor = 0;          ///< tool: 0 puck, 1 pen tip, 2 eraser
  uint32_t buttons = 0;         ///< bit 0 tip, bit 1 first barrel switch, bit 2 second
  int32_t x = 0;                ///< 0 .. screen width
  int32_t y = 0;                ///< 0 .. screen height, growing downwards
  uint32_t normalPressure = 0;  ///< 0 when the pen does not press
  int32_t azimuth = 0;          ///< 0..3599 clockwise, 0 = leaning towards the top
  int32_t altitude = 0;         ///< 900 upright, falling as the pen tilts
  int32_t twist = 0;            ///< compared for change, never sent
  int64_t eventTime = 0;        ///< when the pen did this: nanoseconds on CLOCK_MONOTONIC; 0 = no time

  bool operator==(const TabletPacket&) const = default;
};

/// The pen values kept from the previous packet for comparison with the next.
struct PenState {
  int32_t areaX = 0;  ///< pen position in pixels of the tablet area
  int32_t areaY = 0;
  uint32_t pressure = 0;
  uint32_t cursor = 0;
  int32_t azimuth = 0;
  int32_t altitude = 0;
  int32_t twist = 0;
  uint32_t buttons = 0;

  bool operator==(const PenState&) const = default;
};

/// The sizes a packet is scaled with, read afresh for every packet because the
/// screen and the tablet area may change between packets.
struct PacketGeometry {
  int32_t screenWidth = 1920;
  int32_t screenHeight = 1080;
  int32_t areaWidth = 546;
  int32_t areaHeight = 497;
};
