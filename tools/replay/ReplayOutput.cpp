// SPDX-License-Identifier: MIT
#include "tools/replay/ReplayOutput.h"

#include <charconv>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

void ReplayOutput::WriteMessageBytes(uint8_t status, uint8_t data1, uint8_t data2) {
  const uint8_t bytes[3] = {status, data1, data2};
  char line[9];
  for (int i = 0; i < 3; ++i) {
    line[i * 3] = kHexDigits[bytes[i] >> 4];
    line[i * 3 + 1] = kHexDigits[bytes[i] & 0x0F];
    if (i < 2) line[i * 3 + 2] = ' ';
  }
  buffer_.append(line, 8);
  EndLine();
}

void ReplayOutput::WriteMessageBox(std::string_view text) {
  buffer_.append("! ");
  buffer_.append(text);
  EndLine();
}

void ReplayOutput::WriteDisplay(int controlId, std::string_view text) {
  char id[12];
  auto end = std::to_chars(id, id + sizeof id, controlId).ptr;
  buffer_.append("= ");
  buffer_.append(id, end);
  buffer_.push_back(' ');
  buffer_.append(text);
  EndLine();
}

void ReplayOutput::WritePacket(const TabletPacket& packet) {
  const int64_t fields[] = {packet.cursor,         packet.buttons, packet.x,        packet.y,
                            packet.normalPressure, packet.azimuth, packet.altitude, packet.twist};
  buffer_.push_back('>');
  for (const int64_t field : fields) {
    char number[24];
    buffer_.push_back(' ');
    buffer_.append(number, std::to_chars(number, number + sizeof number, field).ptr);
  }
  EndLine();
}

void ReplayOutput::EndLine() {
  buffer_.push_back('\n');
  if (buffer_.size() >= kFlushSize) Flush();
}

void ReplayOutput::Flush() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), stream_);
  buffer_.clear();
  std::fflush(stream_);
}
