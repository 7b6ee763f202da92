// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

/// Scales an input 0..127 into min..max through a ResponseCurve; a falling
/// range (min > max) mirrors the curve. Any other curve code gives 0.
uint8_t MapValue(uint8_t value, uint8_t min, uint8_t max, uint16_t curve);
