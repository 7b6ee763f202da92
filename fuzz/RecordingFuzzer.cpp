// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the tablet recording reader and plays whatever it
// accepts through the evdev layer's decoder, as quill-replay and the window
// do. Beyond crashes and reads outside a buffer it checks that every packet
// the decoder makes, before any clamping, is inside the ranges the engine
// expects, whatever axis ranges and values the file claims.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tablet/EvdevFrameDecoder.h"
#include "tablet/TabletRecording.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckPacket(const TabletPacket& p, int32_t width, int32_t height) {
  Check(p.x >= 0 && p.x < width && p.y >= 0 && p.y < height);
  Check(p.normalPressure <= kMaxPacketPressure);
  Check(p.azimuth >= 0 && p.azimuth <= 3599 && p.altitude >= 0 && p.altitude <= 900);
  Check(p.cursor <= PenCursor::kLast && (p.buttons & ~PenButton::kAll) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the screen, from the smallest to a wide one.
  const int32_t width = 2 + data[0] * 16, height = 2 + data[1] * 8;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data + 2), size - 2, "r");
  if (!file) return 0;
  std::string error;
  const auto recording = ReadTabletRecording(file, error);
  std::fclose(file);
  if (!recording) {
    Check(!error.empty());
    return 0;
  }
  if (!IsTabletPen(recording->device)) return 0;
  EvdevFrameDecoder decoder(recording->device.axes, NamesItsTools(recording->device));
  decoder.SetScreenSize(width, height);
  for (const input_event& event : recording->events) {
    if (const auto packet = decoder.Feed(event)) CheckPacket(*packet, width, height);
  }
  if (const auto lift = decoder.DeviceLost()) {
    CheckPacket(*lift, width, height);
    Check(lift->normalPressure == 0 && lift->buttons == 0);
  }
  RealTimeOffsets(recording->events);
  return 0;
}
