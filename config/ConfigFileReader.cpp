// SPDX-License-Identifier: MIT
#include "config/ConfigFileReader.h"

#include <algorithm>

#include "config/ConfigFileWriter.h"
#include "music/ChordTable.h"
#include "music/NoteNames.h"
#include "music/ScaleTable.h"

namespace {

// The last entry of each table a configuration indexes; a file may not reach
// past them.
constexpr int32_t kLastScale = kScaleCount - 1;
constexpr int32_t kLastChord = kChordCount - 1;
constexpr int32_t kLastKey = kKeyCount - 1;
constexpr int32_t kLastChannel = 15;
constexpr int32_t kLastNote = 127;
constexpr int32_t kLastControllerValue = 127;
constexpr int32_t kLastControllerOrNone = kNoController;
constexpr int32_t kLastPatchOrNone = kNoPatch;

// Reads bytes that are already in memory through the same line reader.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

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
    config.midiOutPortName.assign(valueText);
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
    case FieldKind::ControllerNumber: config.cc[field.input] = static_cast<uint8_t>(upTo(kLastControllerOrNone)); break;
    case FieldKind::ControllerMinimum:
      config.min[field.input] = static_cast<uint8_t>(upTo(kLastControllerValue));
      break;
    case FieldKind::ControllerMaximum:
      config.max[field.input] = static_cast<uint8_t>(upTo(kLastControllerValue));
      break;
    case FieldKind::ResponseCurveCode: config.map[field.input] = static_cast<uint16_t>(value); break;
    case FieldKind::ColorModel: config.colorModel = static_cast<uint16_t>(value); break;
    case FieldKind::Picture:
    case FieldKind::MidiOutPortName: break;
  }
}

ConfigReadResult ReadConfigFile(std::streambuf& in, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture) {
  ConfigReadResult result;
  std::string line;
  if (!ReadConfigLine(in, line)) return result;
  if (line == kConfigHeaderLine && !ReadConfigLine(in, line)) return result;
  if (line != kConfigIdentificationLine) return result;
  result.accepted = true;

  // A picture is in use afterwards only when the file names it.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    configs[slot].picture.clear();
    setPicture(slot, std::string());
  }

  // A block that sets the port number without naming the port (a file from
  // before names were written) means that number, not a name from before.
  std::array<bool, kSlotCount> portNumbered{}, portNamed{};
  int block = 0;
  while (ReadConfigLine(in, line)) {
    if (line == kConfigBlockEndLine) {
      // Nothing after the twelfth block can change anything: stop reading.
      if (++block >= kSlotCount) break;
      continue;
    }
    const ConfigField* field = MatchConfigField(line);
    if (field == nullptr) continue;
    Configuration& config = configs[block];
    StoreFieldValue(config, *field, std::string_view(line).substr(field->name.size()));
    portNumbered[block] = portNumbered[block] || field->kind == FieldKind::MidiOutPort;
    portNamed[block] = portNamed[block] || field->kind == FieldKind::MidiOutPortName;
    if (field->kind != FieldKind::Picture) continue;
    // The last picture line of a block decides whether the slot has a picture.
    const bool loaded = setPicture(block, config.picture);
    if (!loaded && !config.picture.empty()) {
      result.pictureFailures.push_back({block, config.picture});
      config.picture.clear();
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (portNumbered[slot] && !portNamed[slot]) configs[slot].midiOutPortName.clear();
  }
  return result;
}

ConfigReadResult ReadConfigFile(std::string_view bytes, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture) {
  MemoryBuffer buffer(bytes);
  return ReadConfigFile(buffer, configs, setPicture);
}
