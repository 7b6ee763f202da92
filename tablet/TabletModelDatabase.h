// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

/// The system's database of tablet models, which names a device by its model
/// ("Wacom Intuos4 6x9") where the kernel gives only what the driver reports.
/// It is asked by the device's node or by the kernel's name for the device,
/// never by its USB ids alone: several models share ids. LibwacomModelDatabase
/// reads the real one; tests pretend.
class TabletModelDatabase {
 public:
  virtual ~TabletModelDatabase() = default;
  /// The model of the device at an evdev node, when the database knows it.
  virtual std::optional<std::string> ModelAtNode(const std::string& path) const = 0;
  /// The model of the device the kernel names `kernelName` (a recording's
  /// device), when the database knows it.
  virtual std::optional<std::string> ModelNamed(const std::string& kernelName) const = 0;
};
