// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "model/TabletPacket.h"

/// Buffered writer of the runner's output lines; flushes in large blocks so a
/// million packets cost little more than the engine itself.
class ReplayOutput {
 public:
  explicit ReplayOutput(std::FILE* stream) : stream_(stream) { buffer_.reserve(kFlushSize * 2); }
  ~ReplayOutput() { Flush(); }
  ReplayOutput(const ReplayOutput&) = delete;
  ReplayOutput& operator=(const ReplayOutput&) = delete;

  /// "90 3D 40": the three bytes of a short message, status first.
  void WriteMessageBytes(uint8_t status, uint8_t data1, uint8_t data2);
  /// "! TEXT": a message box.
  void WriteMessageBox(std::string_view text);
  /// "= ID TEXT": a display's new text.
  void WriteDisplay(int controlId, std::string_view text);
  /// "> CURSOR BUTTONS X Y PRESSURE AZIMUTH ALTITUDE TWIST": a packet a tablet
  /// layer delivered, its fields in decimal as a script's packet line has them.
  void WritePacket(const TabletPacket& packet);
  void Flush();

 private:
  void EndLine();

  static constexpr size_t kFlushSize = 1 << 16;
  std::FILE* stream_;
  std::string buffer_;
};
