// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the configuration reader. Beyond crashes and reads
// outside a buffer it checks that every value lands inside its field's range,
// that a refused file changes nothing, that a slot has a picture in use exactly
// when it keeps a path and is asked for one picture per block at most, and
// that writing what was read and reading it again gives the same twelve
// configurations, which write the same bytes again.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "model/Ranges.h"

namespace {

using Slots = std::array<Configuration, kSlotCount>;

void Check(bool condition) {
  if (!condition) std::abort();
}

// A text without line ends that the reader could have kept from one line (a
// picture path with a CR inside is refused, as the engine refuses it).
bool IsLinePath(const std::string& path) {
  return path.size() < kMaxConfigLineLength && path.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

// What a field of a configuration holds: a number with the largest value the
// reader may store there, or text. No default case: a new kind of field is
// reported by the compiler here.
struct Held {
  uint32_t number = 0;
  uint32_t largest = 0;
  const std::string* text = nullptr;
  uint32_t smallest = 0;
};

Held HeldIn(const Configuration& c, const ConfigField& field) {
  switch (field.kind) {
    case FieldKind::MidiOutPort: return {c.midiOutPort, kPortNumberCount - 1};  // every value of the field's width
    case FieldKind::NoteDirection: return {c.noteDirection, 65535};
    case FieldKind::ResponseCurveCode: return {c.map[field.input], 65535};
    case FieldKind::ColorModel: return {c.colorModel, 65535};
    case FieldKind::MidiChannel: return {c.midiChannel, kChannelCount - 1};
    case FieldKind::MidiPatch: return {c.midiPatch, kPatchEntryCount - 1};
    case FieldKind::Scale: return {c.scale, kScaleCount - 1};
    case FieldKind::Key: return {c.key, kKeyCount - 1};
    case FieldKind::Chord: return {c.chord, kChordCount - 1};
    case FieldKind::MinNote: return {c.minNote, kNoteCount - 1};
    case FieldKind::MaxNote: return {c.maxNote, kNoteCount - 1};
    case FieldKind::PlayNotes: return {c.playNotes, 1};
    case FieldKind::InitialPosition: return {c.initialPosition, 1};
    case FieldKind::InitialPressure: return {c.initialPressure, 1};
    case FieldKind::ControllerNumber: return {c.cc[field.input], kControllerEntryCount - 1};
    case FieldKind::ControllerMinimum: return {c.min[field.input], kControllerValueCount - 1};
    case FieldKind::ControllerMaximum: return {c.max[field.input], kControllerValueCount - 1};
    case FieldKind::Picture: return {0, 0, &c.picture};
    case FieldKind::MidiOutPortName: return {0, 0, &c.midiOutPortName};
    case FieldKind::Glide: return {c.glide, kGlideModeCount - 1};
    case FieldKind::BendRange: return {c.bendRange, kHighestBendRange, nullptr, kLowestBendRange};
    case FieldKind::Mpe: return {c.mpe, 1};
  }
  std::abort();
}

// Checks that every field holds a value the reader may store there, and
// returns a hash of all the values.
uint64_t CheckRangesAndHash(const Slots& slots) {
  uint64_t hash = 0;
  auto mix = [&hash](uint64_t value) {  // the finaliser of splitmix64 over each value in turn
    uint64_t z = hash ^ value;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    hash = z ^ (z >> 31);
  };
  for (const Configuration& c : slots) {
    for (const ConfigField& field : kConfigFields) {
      const Held held = HeldIn(c, field);
      if (held.text != nullptr) {
        Check(IsLinePath(*held.text));
        mix(std::hash<std::string>{}(*held.text));
      } else {
        Check(held.number >= held.smallest && held.number <= held.largest);
        mix(held.number);
      }
    }
  }
  return hash;
}

// Hashes of configuration sets whose round trip passed. Writing and reading
// back depends on nothing but the twelve configurations, and most inputs read
// to a set seen before, so each set is checked once; a slot of this table
// forgets its set when another set lands there.
class CheckedSets {
 public:
  bool Contains(uint64_t hash) const { return hash != 0 && table_[hash % table_.size()] == hash; }
  void Add(uint64_t hash) { table_[hash % table_.size()] = hash; }

 private:
  std::array<uint64_t, 1 << 20> table_{};
};

// Pictures "decode" when their path has an even length, so both outcomes
// occur, and never when it holds a line end, as in the engine; remembers which slots have a picture in use. A slot is
// asked twice at most: taken out of use when the file is accepted, then for the last picture line of its block, however
// many the block has.
struct FakePictures {
  std::array<bool, kSlotCount> inUse{};
  std::array<int, kSlotCount> callsPerSlot{};
  int calls = 0;

  SlotPictureSetter Setter() {
    return [this](int slot, const std::string& path) {
      Check(slot >= 0 && slot < kSlotCount);
      ++calls;
      Check(++callsPerSlot[slot] <= 2);
      return inUse[slot] = !path.empty() && path.size() % 2 == 0 && !HoldsLineBreak(path);
    };
  }
};

const Slots& FreshSlots() {
  static const Slots fresh = [] {
    Slots slots;
    slots.fill(DefaultConfiguration());
    slots[3].picture = "/kept.jpg";  // a refused file must keep it
    return slots;
  }();
  return fresh;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Slots slots = FreshSlots();
  FakePictures pictures;
  const ConfigReadResult result = ReadConfigFile(bytes, slots, pictures.Setter());
  if (!result.accepted) {
    Check(slots == FreshSlots() && result.pictureFailures.empty() && pictures.calls == 0);
    return 0;
  }
  const uint64_t hash = CheckRangesAndHash(slots);
  for (int slot = 0; slot < kSlotCount; ++slot) Check(pictures.inUse[slot] == !slots[slot].picture.empty());
  for (const PictureFailure& failure : result.pictureFailures) Check(!failure.path.empty());

  static CheckedSets checked;
  if (checked.Contains(hash)) return 0;
  const std::string written = FormatConfigFile(slots);
  Slots again{};
  FakePictures secondPictures;
  const ConfigReadResult second = ReadConfigFile(written, again, secondPictures.Setter());
  Check(second.accepted && second.pictureFailures.empty() && again == slots);
  Check(secondPictures.inUse == pictures.inUse);
  Check(FormatConfigFile(again) == written);
  checked.Add(hash);
  return 0;
}
