// SPDX-License-Identifier: MIT
// Feeds arbitrary event sequences to the evdev frame decoder, built from an
// arbitrary device description as the evdev layer builds it. The bytes are
// read in a compact binary form:
//
//   1 byte   which axes exist: bits 0..4 = X, Y, pressure, tilt X, tilt Y
//   1 byte   which keys the device reports: bits 0..7 = BTN_TOOL_PEN,
//            BTN_TOOL_RUBBER, BTN_TOOL_BRUSH, BTN_TOOL_MOUSE, BTN_TOOL_LENS,
//            BTN_STYLUS, BTN_STYLUS2, BTN_TOUCH
//   5 × 12   minimum, maximum, resolution of each axis (int32, little end)
//   2 × 4    screen width and height (uint32, reduced to 2 .. 2^30)
//   8 bytes  the second of the first time stamp (int64)
//   then records of 8 bytes until the input ends: type (uint16), code
//   (uint16), value (int32). Type 0xFFFF is no event: the device is lost;
//   type 0xFFFE sets the screen width (code 0) or height (code 1) to the
//   value reduced as above. Each SYN_REPORT moves the clock on 4 ms.
//
// The device lost at the end. What is checked is in CheckedDecoder.h.
#include <linux/input.h>

#include <cstdint>
#include <cstring>

#include "fuzz/CheckedDecoder.h"
#include "tablet/EvdevDeviceInfo.h"

namespace {

constexpr uint16_t kDeviceLost = 0xFFFF;
constexpr uint16_t kScreenSize = 0xFFFE;
// quill-replay takes screens up to this size; the window's are far smaller.
constexpr uint32_t kLargestScreen = uint32_t{1} << 30;

// Reads little-endian numbers from the front of the input; zeros past its end.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Left() const { return size_ - position_; }
  template <typename T>
  T Read() {
    uint8_t bytes[sizeof(T)] = {};
    const size_t count = Left() < sizeof(T) ? Left() : sizeof(T);
    std::memcpy(bytes, data_ + position_, count);
    position_ += count;
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

int32_t ScreenSize(uint32_t value) { return static_cast<int32_t>(2 + value % (kLargestScreen - 1)); }

EvdevAxisInfo ReadAxis(ByteReader& in, bool present) {
  EvdevAxisInfo axis;
  axis.present = present;
  axis.minimum = in.Read<int32_t>();
  axis.maximum = in.Read<int32_t>();
  axis.resolution = in.Read<int32_t>();
  return axis;
}

EvdevDeviceInfo ReadDevice(ByteReader& in) {
  constexpr unsigned kKeys[] = {BTN_TOOL_PEN,  BTN_TOOL_RUBBER, BTN_TOOL_BRUSH, BTN_TOOL_MOUSE,
                                BTN_TOOL_LENS, BTN_STYLUS,      BTN_STYLUS2,    BTN_TOUCH};
  const auto axes = in.Read<uint8_t>();
  const auto keys = in.Read<uint8_t>();
  EvdevDeviceInfo device;
  device.name = "fuzzed";
  for (unsigned bit = 0; bit < 8; ++bit) {
    if (keys & (1u << bit)) device.keys.set(kKeys[bit]);
  }
  device.axes.x = ReadAxis(in, axes & 0x01);
  device.axes.y = ReadAxis(in, axes & 0x02);
  device.axes.pressure = ReadAxis(in, axes & 0x04);
  device.axes.tiltX = ReadAxis(in, axes & 0x08);
  device.axes.tiltY = ReadAxis(in, axes & 0x10);
  return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteReader in(data, size);
  const EvdevDeviceInfo device = ReadDevice(in);
  // The evdev layer builds a decoder only for a tablet pen.
  if (!IsTabletPen(device)) return 0;
  CheckedDecoder decoder(device);
  int32_t width = ScreenSize(in.Read<uint32_t>());
  int32_t height = ScreenSize(in.Read<uint32_t>());
  decoder.SetScreenSize(width, height);
  input_event event{};
  event.input_event_sec = static_cast<decltype(event.input_event_sec)>(in.Read<int64_t>());
  while (in.Left() > 0) {
    const auto type = in.Read<uint16_t>();
    const auto code = in.Read<uint16_t>();
    const auto value = in.Read<int32_t>();
    if (type == kDeviceLost) {
      decoder.DeviceLost();
    } else if (type == kScreenSize) {
      (code == 0 ? width : height) = ScreenSize(static_cast<uint32_t>(value));
      decoder.SetScreenSize(width, height);
    } else {
      event.type = type;
      event.code = code;
      event.value = value;
      decoder.Feed(event);
      if (type == EV_SYN && code == SYN_REPORT) event.input_event_usec += 4000;
    }
  }
  decoder.DeviceLost();
  return 0;
}
