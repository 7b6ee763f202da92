// SPDX-License-Identifier: MIT
#include "config/ConfigFileReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "config/ConfigFileWriter.h"
#include "model/Ranges.h"

namespace {

// The last entry of each table a configuration indexes; a file may not reach
// past them.
constexpr int32_t kLastScale = kScaleCount - 1;
constexpr int32_t kLastChord = kChordCount - 1;
constexpr int32_t kLastKey = kKeyCount - 1;
constexpr int32_t kLastChannel = kChannelCount - 1;
constexpr int32_t kLastNote = kNoteCount - 1;
constexpr int32_t kLastControllerValue = kControllerValueCount - 1;
constexpr int32_t kLastControllerEntry = kControllerEntryCount - 1;  // none, pitch bend, channel pressure
constexpr int32_t kLastPatchOrNone = kPatchEntryCount - 1;
constexpr int32_t kLastGlideMode = kGlideModeCount - 1;

// Cuts the lines of bytes already in memory by the rule of ReadConfigLine,
// without copying them: each line is a view into the bytes.
class MemoryLines {
 public:
  explicit MemoryLines(std::string_view bytes) : next_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  bool Next(std::string_view& line) {
    if (next_ == end_) return false;
    const char* begin = next_;
    const auto* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end_ - begin)));
    next_ = lineFeed != nullptr ? lineFeed + 1 : end_;
    size_t length = static_cast<size_t>((lineFeed != nullptr ? lineFeed : end_) - begin);
    bool cut = false;
    if (const auto* nul = static_cast<const char*>(std::memchr(begin, '\0', length)); nul != nullptr) {
      length = static_cast<size_t>(nul - begin);
      cut = true;
    }
    if (length > kMaxConfigLineLength) {
      length = kMaxConfigLineLength;
      cut = true;
    }
    if (lineFeed != nullptr && !cut && length > 0 && begin[length - 1] == '\r') --length;
    line = std::string_view(begin, length);
    return true;
  }

 private:
  const char* next_;
  const char* end_;
};

// Lines of a stream, copied into one reused string.
class StreamLines {
 public:
  explicit StreamLines(std::streambuf& in) : in_(in) {}

  bool Next(std::string_view& line) {
    if (!ReadConfigLine(in_, buffer_)) return false;
    line = buffer_;
    return true;
  }

 private:
  std::streambuf& in_;
  std::string buffer_;
};

// The reading itself, the same for streams and for bytes in memory.
template <class Lines>
ConfigReadResult ReadConfigLines(Lines& lines, std::array<Configuration, kSlotCount>& configs,
                                 const SlotPictureSetter& setPicture) {
  ConfigReadResult result;
  std::string_view line;
  if (!lines.Next(line)) return result;
  if (line == kConfigHeaderLine && !lines.Next(line)) return result;
  if (line != kConfigIdentificationLine) return result;
  result.accepted = true;

  // A picture is in use afterwards only when the file names it; glide and
  // per-note channels only when the file turns them on (older files, which
  // do not know them, play as they always did).
  for (int slot = 0; slot < kSlotCount; ++slot) {
    configs[slot].picture.clear();
    setPicture(slot, std::string());
    configs[slot].glide = kGlideOff;
    configs[slot].bendRange = kDefaultBendRange;
    configs[slot].mpe = 0;
  }

  // A block that sets the port number without naming the port (a file from
  // before names were written) means that number, not a name from before.
  std::array<bool, kSlotCount> portNumbered{}, portNamed{};
  // The last picture line of a block decides whether the slot has a picture:
  // only that path is put in use, once the block has been read.
  bool pictureNamed = false;
  auto decidePicture = [&](int slot) {
    if (!std::exchange(pictureNamed, false)) return;
    Configuration& config = configs[slot];
    const bool loaded = setPicture(slot, config.picture);
    if (!loaded && !config.picture.empty()) {
      result.pictureFailures.push_back({slot, config.picture});
      config.picture.clear();
    }
  };
  int block = 0;
  const ConfigField* likely = kConfigFields.data();  // the field a written file has next
  while (lines.Next(line)) {
    if (line == kConfigBlockEndLine) {
      decidePicture(block);
      // Nothing after the twelfth block can change anything: stop reading.
      if (++block >= kSlotCount) break;
      likely = kConfigFields.data();
      continue;
    }
    const ConfigField* field = MatchConfigField(line, likely);
    if (field == nullptr) continue;
    likely = field + 1 < kConfigFields.data() + kConfigFields.size() ? field + 1 : nullptr;
    StoreFieldValue(configs[block], *field, line.substr(field->name.size()));
    portNumbered[block] = portNumbered[block] || field->kind == FieldKind::MidiOutPort;
    portNamed[block] = portNamed[block] || field->kind == FieldKind::MidiOutPortName;
    pictureNamed = pictureNamed || field->kind == FieldKind::Picture;
  }
  if (block < kSlotCount) decidePicture(block);  // a last block without its end line
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (portNumbered[slot] && !portNamed[slot]) configs[slot].midiOutPortName.clear();
  }
  return result;
}

}  // namespace

bool ReadConfigLine(std::streambuf& in, std::string& line) {
  line.clear();
  using Traits = std::streambuf::traits_type;
  Traits::int_type c = in.sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) return false;
  bool cut = false;
  while (!Traits::eq_int_type(c, Traits::eof()) && c != '\n') {
    if (c == '\0' || line.size() >= kMaxConfigLineLength) cut = true;
    if (!cut) line.push_back(Traits::to_char_type(c));
    c = in.sbumpc();
  }
  // Only a CR that really stood right before the LF belongs to the line end.
  if (c == '\n' && !cut && !line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void StoreFieldValue(Configuration& config, const ConfigField& field, std::string_view valueText) {
  if (field.kind == FieldKind::Picture) {
    config.picture.assign(valueText);
    return;
  }
  if (field.kind == FieldKind::MidiOutPortName) {
    // As the names of the system's destinations are compared and written.
    config.midiOutPortName = WithoutLineBreaks(valueText);
    return;
  }
  const int32_t value = ParseDecimal(valueText);
  auto upTo = [value](int32_t last) { return std::clamp<int32_t>(value, 0, last); };
  auto flag = [value]() -> uint8_t { return value == 1 ? 1 : 0; };
  switch (field.kind) {
    case FieldKind::MidiOutPort: config.midiOutPort = static_cast<uint8_t>(value); break;
    case FieldKind::MidiChannel: config.midiChannel = static_cast<uint8_t>(upTo(kLastChannel)); break;
    case FieldKind::MidiPatch: config.midiPatch = static_cast<uint8_t>(upTo(kLastPatchOrNone)); break;
    case FieldKind::Scale: config.scale = static_cast<uint16_t>(upTo(kLastScale)); break;
    case FieldKind::Key: config.key = static_cast<uint8_t>(upTo(kLastKey)); break;
    case FieldKind::Chord: config.chord = static_cast<uint16_t>(upTo(kLastChord)); break;
    case FieldKind::MinNote: config.minNote = static_cast<uint8_t>(upTo(kLastNote)); break;
    case FieldKind::MaxNote: config.maxNote = static_cast<uint8_t>(upTo(kLastNote)); break;
    case FieldKind::PlayNotes: config.playNotes = flag(); break;
    case FieldKind::InitialPosition: config.initialPosition = flag(); break;
    case FieldKind::InitialPressure: config.initialPressure = flag(); break;
    case FieldKind::NoteDirection: config.noteDirection = static_cast<uint16_t>(value); break;
    case FieldKind::ControllerNumber: config.cc[field.input] = static_cast<uint8_t>(upTo(kLastControllerEntry)); break;
    case FieldKind::ControllerMinimum:
      config.min[field.input] = static_cast<uint8_t>(upTo(kLastControllerValue));
      break;
    case FieldKind::ControllerMaximum:
      config.max[field.input] = static_cast<uint8_t>(upTo(kLastControllerValue));
      break;
    case FieldKind::ResponseCurveCode: config.map[field.input] = static_cast<uint16_t>(value); break;
    case FieldKind::ColorModel: config.colorModel = static_cast<uint16_t>(value); break;
    case FieldKind::Glide: config.glide = static_cast<uint8_t>(upTo(kLastGlideMode)); break;
    case FieldKind::BendRange:
      config.bendRange = static_cast<uint8_t>(std::clamp<int32_t>(value, kLowestBendRange, kHighestBendRange));
      break;
    case FieldKind::Mpe: config.mpe = static_cast<uint8_t>(upTo(1)); break;
    case FieldKind::Picture:
    case FieldKind::MidiOutPortName: break;
  }
}

ConfigReadResult ReadConfigFile(std::streambuf& in, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture) {
  StreamLines lines(in);
  return ReadConfigLines(lines, configs, setPicture);
}

ConfigReadResult ReadConfigFile(std::string_view bytes, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture) {
  MemoryLines lines(bytes);
  return ReadConfigLines(lines, configs, setPicture);
}
