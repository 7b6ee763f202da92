// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/TabletPacket.h"
#include "model/ToolNameSource.h"

/// The pen orientation axes a tablet reports.
struct OrientationAxes {
  bool supported = false;           ///< the tablet reports pen orientation at all
  uint32_t azimuthResolution = 0;   ///< units per turn, 16.16 fixed point
  uint32_t altitudeResolution = 0;  ///< units per turn, 16.16 fixed point
  int32_t altitudeMax = 0;          ///< altitude of an upright pen
};

/// Everything Quill asks of the tablet driver: presence, names, orientation
/// axes, and one context for the main window that delivers pen packets on the
/// window's thread in arrival order. The evdev, Qt and mouse layers implement it;
/// tests use a scripted service.
class TabletService : public ToolNameSource {
 public:
  using PacketHandler = std::function<void(const TabletPacket&)>;

  /// Tablet services are available at all.
  virtual bool ServicesPresent() const = 0;
  /// The device name, e.g. "WACOM " followed by the product name: what the
  /// start-up check reads the maker from.
  virtual std::string DeviceName() const = 0;
  /// The name shown for the device: its model as the system's tablet
  /// database knows it, else DeviceName. Never decides whether a tablet plays.
  virtual std::string ModelName() const { return DeviceName(); }
  /// True when another device plays the pen (the mouse): there is no tablet
  /// whose maker the start-up check could ask for.
  virtual bool EmulatesPen() const { return false; }
  /// Tool name of a cursor number: 0 "Puck", 1 "Pressure Stylus", 2 "Eraser".
  std::string ToolName(uint32_t cursor) const override = 0;
  virtual OrientationAxes Orientation() const = 0;
  /// Opens the context for the main window: packets go to `handler` on the
  /// window's thread. False when no context could be opened.
  virtual bool OpenContext(PacketHandler handler) = 0;
  /// Follows the window's activation: packets arrive only while enabled.
  virtual void Enable(bool enable) = 0;
  /// Puts the context on top of the overlap order.
  virtual void Overlap(bool toTop) = 0;
  /// Closes the context; no packets arrive afterwards.
  virtual void Close() = 0;
};
