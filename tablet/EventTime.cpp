// SPDX-License-Identifier: MIT
#include "tablet/EventTime.h"

#include <chrono>

int64_t MonotonicNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t EvdevEventTime(const input_event& event) {
  return static_cast<int64_t>(event.input_event_sec) * 1'000'000'000 +
         static_cast<int64_t>(event.input_event_usec) * 1'000;
}
