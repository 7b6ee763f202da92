// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/PerformanceEngine.h"
#include "tools/replay/ReplayOutput.h"
#include "tools/replay/ReplayServices.h"

struct ConfigField;

/// Runs script lines through the engine, started as the window is after a
/// successful initialisation: twelve default configurations, slot 1 current,
/// its port open and its programme change sent, the tablet context open.
class ReplayRunner {
 public:
  /// `midi` is the output service; its accepted messages must reach `out`.
  ReplayRunner(std::unique_ptr<MidiOutService> midi, ReplayOutput& out, bool showDisplays);
  /// A run that ends without EndPerformance still leaves nothing sounding.
  ~ReplayRunner() { EndPerformance(); }
  ReplayRunner(const ReplayRunner&) = delete;
  ReplayRunner& operator=(const ReplayRunner&) = delete;

  /// Runs one line; false with a reason when the line is malformed.
  bool RunLine(std::string_view line, std::string& error);
  /// Ends the performance as closing the window does: the notes still
  /// sounding are stopped. Runs when the script ends, also on a malformed line.
  void EndPerformance() { engine_.EndPerformance(); }

  PerformanceEngine& Engine() { return engine_; }
  /// The screen and tablet area that script lines have set.
  const PacketGeometry& Geometry() const { return geometry_; }
  /// One packet read successfully, as a packet line runs it.
  void ProcessPacket(const TabletPacket& packet) { engine_.ProcessPacket(packet, geometry_); }

 private:
  bool RunPacket(std::string_view arguments, std::string& error);
  bool RunSet(std::string_view fieldLine, std::string& error);
  void ApplyField(const ConfigField& field, int32_t value);

  std::unique_ptr<MidiOutService> midi_;
  PrintingMessages messages_;
  PrintingDisplay display_;
  StandardToolNames tools_;
  CopyBuffer copyBuffer_;
  PerformanceEngine engine_;
  PacketGeometry geometry_;
};
