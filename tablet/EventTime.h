// SPDX-License-Identifier: MIT
#pragma once

#include <linux/input.h>

#include <cstdint>

// Pen events are timed on CLOCK_MONOTONIC, in nanoseconds: the clock the MIDI
// clients place each message by (std::chrono::steady_clock is that clock on
// Linux). A packet with time 0 has no time and its messages go out at once.

/// Now, on the clock pen events are timed on.
int64_t MonotonicNow();

/// An evdev event's own time stamp in nanoseconds: on CLOCK_MONOTONIC when the
/// node was set to that clock.
int64_t EvdevEventTime(const input_event& event);
