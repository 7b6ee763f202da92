// SPDX-License-Identifier: MIT
#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <string>

#include "tablet/EvdevFrameDecoder.h"

/// The vendor number of tablets made by Wacom.
inline constexpr uint16_t kWacomVendorId = 0x056a;

/// A device as the evdev layer knows it before any of its events: what a
/// node's ioctls or a recording's description say. Everything the layer
/// decides about a device is decided from this alone, so a recording is
/// recognised exactly as the node it was recorded from.
struct EvdevDeviceInfo {
  std::string name;
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::bitset<KEY_CNT> keys;  ///< the EV_KEY codes the device reports
  EvdevTabletAxes axes;
};

/// A tablet pen: absolute X, Y and pressure, and a pen tool or a barrel
/// switch (touchpads and touch screens have neither).
bool IsTabletPen(const EvdevDeviceInfo& device);

/// Whether the device says which tool is in proximity (any BTN_TOOL_ code of
/// a pen, eraser or puck). Cheap pens often do not: they report only while
/// the pen is near.
bool NamesItsTools(const EvdevDeviceInfo& device);

/// The name reported for a device: "WACOM " and the product name when the
/// vendor is Wacom, the device's own name otherwise.
std::string ReportedDeviceName(const std::string& deviceName, uint16_t vendor);
