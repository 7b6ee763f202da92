// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>

/// Truncates toward zero into 32 bits the way a 32-bit x86 conversion does: a
/// value outside the 32-bit range (or NaN) gives the "integer indefinite"
/// INT32_MIN instead of undefined behaviour.
inline int32_t TruncToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

/// The low 8 bits of a value, as an assignment to a byte keeps them.
inline uint8_t LowByte(int64_t value) { return static_cast<uint8_t>(static_cast<uint64_t>(value) & 0xFFu); }
