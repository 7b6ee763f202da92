// SPDX-License-Identifier: MIT
#pragma once

#include <linux/input.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tablet/EvdevDeviceInfo.h"

/// A recorded input device: its description and its events with their time
/// stamps, as evemu records them from a node. Played through the evdev
/// layer, it stands in for the tablet.
struct TabletRecording {
  EvdevDeviceInfo device;
  std::vector<input_event> events;
};

/// Reads an evemu recording. Nothing, with a reason in `error`, when the file
/// cannot be opened or is not a recording (a malformed event line included).
std::optional<TabletRecording> ReadTabletRecording(const std::string& path, std::string& error);
/// The same from an open file, read to its end.
std::optional<TabletRecording> ReadTabletRecording(std::FILE* file, std::string& error);

/// The longest pause kept when a recording plays in real time: the time
/// stamps of a recording made over hours (or wrong ones) do not stall a demo.
inline constexpr int64_t kLongestRecordedPauseMicroseconds = 3'000'000;

/// When each event is due, in microseconds from the first, when the
/// recording plays in real time: the gaps between time stamps, none where
/// they go backwards, and none longer than kLongestRecordedPauseMicroseconds.
std::vector<int64_t> RealTimeOffsets(const std::vector<input_event>& events);
