// SPDX-License-Identifier: MIT
#include "tablet/TabletRecording.h"

#include <evemu.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct EvemuDeleter {
  void operator()(evemu_device* device) const { evemu_delete(device); }
};

EvdevAxisInfo AxisOf(const evemu_device* device, int code) {
  EvdevAxisInfo axis;
  if (!evemu_has_event(device, EV_ABS, code)) return axis;
  axis.present = true;
  axis.minimum = evemu_get_abs_minimum(device, code);
  axis.maximum = evemu_get_abs_maximum(device, code);
  axis.resolution = evemu_get_abs_resolution(device, code);
  return axis;
}

EvdevDeviceInfo Describe(const evemu_device* device) {
  EvdevDeviceInfo info;
  const char* name = evemu_get_name(device);
  info.name = name ? name : "";
  info.vendor = static_cast<uint16_t>(evemu_get_id_vendor(device));
  info.product = static_cast<uint16_t>(evemu_get_id_product(device));
  for (int code = 0; code < KEY_CNT; ++code) {
    if (evemu_has_event(device, EV_KEY, code)) info.keys.set(static_cast<size_t>(code));
  }
  info.axes = EvdevTabletAxes{AxisOf(device, ABS_X), AxisOf(device, ABS_Y), AxisOf(device, ABS_PRESSURE),
                              AxisOf(device, ABS_TILT_X), AxisOf(device, ABS_TILT_Y)};
  return info;
}

// Time stamps come from a file: any value must give a number, never overflow.
int64_t Microseconds(const input_event& event) {
  constexpr int64_t kLatestSecond = int64_t{1} << 40;
  const int64_t seconds = std::clamp<int64_t>(event.input_event_sec, 0, kLatestSecond);
  const int64_t micro = std::clamp<int64_t>(event.input_event_usec, 0, 999'999);
  return seconds * 1'000'000 + micro;
}

}  // namespace

std::optional<TabletRecording> ReadTabletRecording(const std::string& path, std::string& error) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
  if (!file) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  return ReadTabletRecording(file.get(), error);
}

std::optional<TabletRecording> ReadTabletRecording(std::FILE* file, std::string& error) {
  const std::unique_ptr<evemu_device, EvemuDeleter> device(evemu_new(nullptr));
  if (!device) {
    error = "out of memory";
    return std::nullopt;
  }
  if (evemu_read(device.get(), file) <= 0) {
    error = "not a device recording (no device description)";
    return std::nullopt;
  }
  TabletRecording recording;
  recording.device = Describe(device.get());
  input_event event{};
  int status = 0;
  while ((status = evemu_read_event(file, &event)) > 0) recording.events.push_back(event);
  if (status < 0) {
    error = "malformed event line after " + std::to_string(recording.events.size()) + " events";
    return std::nullopt;
  }
  return recording;
}

std::vector<int64_t> RealTimeOffsets(const std::vector<input_event>& events) {
  std::vector<int64_t> offsets;
  offsets.reserve(events.size());
  int64_t offset = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    if (i > 0) {
      const int64_t gap = Microseconds(events[i]) - Microseconds(events[i - 1]);
      offset += std::clamp<int64_t>(gap, 0, kLongestRecordedPauseMicroseconds);
    }
    offsets.push_back(offset);
  }
  return offsets;
}
