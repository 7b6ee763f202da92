// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the tablet recording reader (libevemu) and plays
// whatever it accepts through the evdev layer's recognition and decoder, as
// quill-replay and the window do. The first two bytes choose the screen; the
// rest is the recording. Beyond crashes and reads outside a buffer it checks
// that a refused file says why, and everything CheckedDecoder.h checks of the
// packets, whatever axis ranges, capabilities and values the file claims.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/CheckedDecoder.h"
#include "tablet/TabletRecording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // From the smallest screen to a wide one.
  const int32_t width = 2 + data[0] * 16, height = 2 + data[1] * 8;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data + 2), size - 2, "r");
  if (!file) return 0;
  std::string error;
  const auto recording = ReadTabletRecording(file, error);
  std::fclose(file);
  if (!recording) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Names and recognition as the evdev layer decides them.
  (void)ReportedDeviceName(recording->device.name, recording->device.vendor);
  if (!IsTabletPen(recording->device)) return 0;
  CheckedDecoder decoder(recording->device);
  decoder.SetScreenSize(width, height);
  for (const input_event& event : recording->events) decoder.Feed(event);
  decoder.DeviceLost();
  RealTimeOffsets(recording->events);
  return 0;
}
