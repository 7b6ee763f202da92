// SPDX-License-Identifier: MIT
#include "engine/MapValue.h"

#include <cmath>

#include "engine/Truncation.h"
#include "model/Configuration.h"

namespace {
// The curves were tuned with these single-precision constants; keeping their
// exact float values keeps every output byte the same.
const double kE5 = std::exp(5.0);
constexpr double kC1 = static_cast<double>(0.03937008f);   // about 5 / 127
constexpr double kC2 = static_cast<double>(0.039215688f);  // about 5 / 127.5
constexpr double kHalfTurnStep = 0.0245436921875;          // 3.1415926 / 128
}  // namespace

uint8_t MapValue(uint8_t value, uint8_t min, uint8_t max, uint16_t curve) {
  const double v = value;
  const double a = min;
  const double b = max;
  const bool falling = a > b;
  double result = 0.0;
  // In every formula the product is formed first and the lone a or b added last.
  switch (curve) {
    case Exponential:
      result = falling ? (a - b) * (std::exp((127.5 - v) * kC2) / kE5) + b : (b - a) * (std::exp(v * kC1) / kE5) + a;
      break;
    case Linear:
      result = falling ? (a - b + 1) * ((127.5 - v) * 0.0078125) + b : (b - a + 1) * (v * 0.0078125) + a;
      break;
    case Logarithmic: {
      const double r = 1 - (std::exp((127 - v) * kC1) / kE5);
      result = falling ? (b - a) * r + a : (b - a + 1) * r + a;
      break;
    }
    case SCurve:
      result = falling ? (a - b + 1) * (1 - (std::cos((127.5 - v) * kHalfTurnStep) + 1) * 0.5) + b
                       : (b - a + 1) * (1 - (std::cos(v * kHalfTurnStep) + 1) * 0.5) + a;
      break;
    default: return 0;
  }
  return LowByte(TruncToInt32(result));
}
