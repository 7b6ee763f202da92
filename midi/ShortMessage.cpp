// SPDX-License-Identifier: MIT
#include "midi/ShortMessage.h"

#include <algorithm>

namespace {
size_t SystemMessageLength(uint8_t status) {
  switch (status) {
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
      return 2;
    case 0xF2:  // song position
      return 3;
    case 0xF6:  // tune request
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF:  // real-time messages
      return 1;
    default:  // system exclusive and the undefined status bytes
      return 0;
  }
}
}  // namespace

uint32_t PackShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) {
  const uint32_t statusByte = static_cast<uint8_t>(status + (channel & 0x0F));
  const uint32_t first = std::min<uint8_t>(data1, 127);
  const uint32_t second = std::min<uint8_t>(data2, 127);
  return (second << 16) | (first << 8) | statusByte;
}

size_t ShortMessageBytes(uint32_t packed, std::array<uint8_t, 3>& bytes) {
  bytes = {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8), static_cast<uint8_t>(packed >> 16)};
  const uint8_t status = bytes[0];
  size_t length = 0;
  if (status < 0x80) return 0;
  if (status >= 0xF0) {
    length = SystemMessageLength(status);
  } else if (status >= 0xC0 && status < 0xE0) {
    length = 2;  // programme change, channel pressure
  } else {
    length = 3;
  }
  for (size_t i = 1; i < length; ++i) {
    if (bytes[i] >= 0x80) return 0;
  }
  return length;
}
