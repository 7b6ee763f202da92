// SPDX-License-Identifier: MIT
#include "tablet/EventTimeMapper.h"

int64_t EventTimeMapper::Map(uint64_t stampMilliseconds, int64_t now) {
  if (stampMilliseconds == 0) return now;
  // Stamps far beyond any clock's range are as good as none.
  if (stampMilliseconds > static_cast<uint64_t>(INT64_MAX / 1'000'000)) return now;
  const int64_t stamp = static_cast<int64_t>(stampMilliseconds) * 1'000'000;
  const int64_t seen = now - stamp;
  // A smaller offset means an event that reached us faster than any before.
  if (!anchored_ || seen < offset_) offset_ = seen;
  anchored_ = true;
  int64_t mapped = stamp + offset_;
  if (now - mapped > kLongestDelay) {
    offset_ = seen;
    mapped = now;
  }
  return mapped;
}
