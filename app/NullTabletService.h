// SPDX-License-Identifier: MIT
#pragma once

#include "tablet/TabletService.h"

/// A tablet that never delivers a packet: lets the window open and be edited
/// where no tablet layer is available.
class NullTabletService : public TabletService {
 public:
  bool ServicesPresent() const override { return true; }
  std::string DeviceName() const override { return "WACOM (no tablet layer)"; }
  std::string ToolName(uint32_t) const override { return "---"; }
  OrientationAxes Orientation() const override { return {}; }
  bool OpenContext(QWidget*, QWidget*, PacketHandler) override { return true; }
  void Enable(bool) override {}
  void Overlap(bool) override {}
  void Close() override {}
};
