// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the configuration reader. Beyond crashes and reads
// outside a buffer it checks that every value lands inside its field's range,
// that a refused file changes nothing, and that writing what was read and
// reading it again gives the same twelve configurations.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"

namespace {

using Slots = std::array<Configuration, kSlotCount>;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Pictures "decode" when their path has an even length, so both outcomes occur.
bool SetPicture(int slot, const std::string& path) {
  Check(slot >= 0 && slot < kSlotCount);
  return !path.empty() && path.size() % 2 == 0;
}

void CheckRanges(const Configuration& c) {
  Check(c.scale <= 269 && c.chord <= 23 && c.key <= 11 && c.midiChannel <= 15 && c.midiPatch <= 128);
  Check(c.minNote <= 127 && c.maxNote <= 127);
  Check(c.playNotes <= 1 && c.initialPressure <= 1 && c.initialPosition <= 1);
  for (int i = 0; i < kControllerInputCount; ++i) Check(c.cc[i] <= 128 && c.min[i] <= 127 && c.max[i] <= 127);
  Check(c.picture.size() < kMaxConfigLineLength && c.picture.find('\n') == std::string::npos);
  Check(c.midiOutPortName.size() < kMaxConfigLineLength && c.midiOutPortName.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Slots fresh;
  fresh.fill(DefaultConfiguration());
  Slots slots = fresh;
  const ConfigReadResult result = ReadConfigFile(bytes, slots, SetPicture);
  if (!result.accepted) {
    Check(slots == fresh && result.pictureFailures.empty());
    return 0;
  }
  for (const Configuration& c : slots) CheckRanges(c);
  for (const PictureFailure& failure : result.pictureFailures) Check(!failure.path.empty());

  const std::string written = FormatConfigFile(slots);
  Slots again{};
  const ConfigReadResult second = ReadConfigFile(written, again, SetPicture);
  Check(second.accepted && second.pictureFailures.empty() && again == slots);
  Check(FormatConfigFile(again) == written);
  return 0;
}
