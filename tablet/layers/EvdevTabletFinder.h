// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// One tablet pen event node.
struct EvdevTabletNode {
  std::string path;       ///< e.g. /dev/input/event7
  bool readable = false;  ///< this user may open it
};

/// Finds the event nodes of tablet pens: absolute X, Y and pressure and a pen
/// tool. Readable nodes are recognised by their capabilities; nodes this user
/// may not open are recognised by udev's tablet mark, so that the program can
/// say how to get access.
class EvdevTabletFinder {
 public:
  /// The pen nodes in `directory`, in the order of their numbers.
  static std::vector<EvdevTabletNode> Find(const std::string& directory = "/dev/input");

  /// Whether udev's database entry of a node (the text of
  /// /run/udev/data/c<major>:<minor>) marks it as a tablet, pads excluded.
  static bool UdevDataMarksTablet(std::string_view contents);
};
