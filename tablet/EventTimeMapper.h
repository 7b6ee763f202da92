// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

/// Puts the millisecond time stamps of another clock (a window system's event
/// times) onto CLOCK_MONOTONIC. The two clocks differ by an offset that is not
/// told; an event is never handled before it happened, so the smallest delay
/// seen between a stamp and its handling is the best estimate of it, and the
/// estimate only ever gets better. Stamps that jump (a wrapping or restarted
/// clock) start the estimate afresh.
class EventTimeMapper {
 public:
  /// A mapped time further back than this is taken for a jump of the stamps.
  static constexpr int64_t kLongestDelay = 1'000'000'000;

  /// The time on CLOCK_MONOTONIC of an event stamped `stampMilliseconds`,
  /// handled at `now`; never later than `now`. A stamp of 0 (none) is `now`.
  int64_t Map(uint64_t stampMilliseconds, int64_t now);

 private:
  bool anchored_ = false;
  int64_t offset_ = 0;  ///< monotonic time minus stamp, in nanoseconds
};
