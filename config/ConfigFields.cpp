// SPDX-License-Identifier: MIT
#include "config/ConfigFields.h"

#include <limits>

namespace {
constexpr ConfigField Field(std::string_view name, FieldKind kind, int input = -1) {
  return ConfigField{name, kind, input};
}

constexpr std::array<ConfigField, kConfigFieldCount> kFieldTable = {{
    Field("MIDI out port = ", FieldKind::MidiOutPort),
    Field("MIDI channel = ", FieldKind::MidiChannel),
    Field("MIDI patch = ", FieldKind::MidiPatch),
    Field("Scale = ", FieldKind::Scale),
    Field("Key = ", FieldKind::Key),
    Field("Chord = ", FieldKind::Chord),
    Field("Min note = ", FieldKind::MinNote),
    Field("Max note = ", FieldKind::MaxNote),
    Field("Play notes = ", FieldKind::PlayNotes),
    Field("Initial position = ", FieldKind::InitialPosition),
    Field("Initial pressure = ", FieldKind::InitialPressure),
    Field("Note direction = ", FieldKind::NoteDirection),
    Field("X cc = ", FieldKind::ControllerNumber, 0),
    Field("Y cc = ", FieldKind::ControllerNumber, 1),
    Field("Pressure cc = ", FieldKind::ControllerNumber, 2),
    Field("Tilt cc = ", FieldKind::ControllerNumber, 3),
    Field("Angle cc = ", FieldKind::ControllerNumber, 4),
    Field("H cc = ", FieldKind::ControllerNumber, 5),
    Field("S cc = ", FieldKind::ControllerNumber, 6),
    Field("B cc = ", FieldKind::ControllerNumber, 7),
    Field("X min = ", FieldKind::ControllerMinimum, 0),
    Field("Y min = ", FieldKind::ControllerMinimum, 1),
    Field("Pressure min = ", FieldKind::ControllerMinimum, 2),
    Field("Tilt min = ", FieldKind::ControllerMinimum, 3),
    Field("Angle min = ", FieldKind::ControllerMinimum, 4),
    Field("H min = ", FieldKind::ControllerMinimum, 5),
    Field("S min = ", FieldKind::ControllerMinimum, 6),
    Field("B min = ", FieldKind::ControllerMinimum, 7),
    Field("X max = ", FieldKind::ControllerMaximum, 0),
    Field("Y max = ", FieldKind::ControllerMaximum, 1),
    Field("Pressure max = ", FieldKind::ControllerMaximum, 2),
    Field("Tilt max = ", FieldKind::ControllerMaximum, 3),
    Field("Angle max = ", FieldKind::ControllerMaximum, 4),
    Field("H max = ", FieldKind::ControllerMaximum, 5),
    Field("S max = ", FieldKind::ControllerMaximum, 6),
    Field("B max = ", FieldKind::ControllerMaximum, 7),
    Field("X map = ", FieldKind::ResponseCurveCode, 0),
    Field("Y map = ", FieldKind::ResponseCurveCode, 1),
    Field("Pressure map = ", FieldKind::ResponseCurveCode, 2),
    Field("Tilt map = ", FieldKind::ResponseCurveCode, 3),
    Field("Angle map = ", FieldKind::ResponseCurveCode, 4),
    Field("H map = ", FieldKind::ResponseCurveCode, 5),
    Field("S map = ", FieldKind::ResponseCurveCode, 6),
    Field("B map = ", FieldKind::ResponseCurveCode, 7),
    Field("Picture = ", FieldKind::Picture),
    Field("Color model = ", FieldKind::ColorModel),
    Field("MIDI out port name = ", FieldKind::MidiOutPortName),
    Field("Glide = ", FieldKind::Glide),
    Field("Bend range = ", FieldKind::BendRange),
    Field("MPE = ", FieldKind::Mpe),
}};

constexpr bool NamesFit(const std::array<ConfigField, kConfigFieldCount>& fields) {
  for (const ConfigField& field : fields) {
    if (field.name.empty() || field.name.size() > kMaxConfigFieldNameLength) return false;
  }
  return true;
}
static_assert(NamesFit(kFieldTable), "a field name is empty or longer than kMaxConfigFieldNameLength");

// The fields grouped by the first byte of their name: those starting with byte
// b are order[start[b]] up to order[start[b + 1]], so that a line is compared
// only with the few names that can match it.
struct FirstByteIndex {
  std::array<uint8_t, 257> start{};
  std::array<uint8_t, kConfigFieldCount> order{};
};

constexpr FirstByteIndex IndexByFirstByte(const std::array<ConfigField, kConfigFieldCount>& fields) {
  FirstByteIndex index;
  for (const ConfigField& field : fields) ++index.start[static_cast<uint8_t>(field.name[0]) + 1];
  for (size_t b = 1; b < index.start.size(); ++b) index.start[b] += index.start[b - 1];
  std::array<uint8_t, 256> next{};
  for (size_t b = 0; b < next.size(); ++b) next[b] = index.start[b];
  for (size_t i = 0; i < fields.size(); ++i)
    index.order[next[static_cast<uint8_t>(fields[i].name[0])]++] = static_cast<uint8_t>(i);
  return index;
}

constexpr FirstByteIndex kByFirstByte = IndexByFirstByte(kFieldTable);

}  // namespace

const std::array<ConfigField, kConfigFieldCount> kConfigFields = kFieldTable;

const ConfigField* MatchConfigField(std::string_view line) {
  if (line.empty()) return nullptr;
  const uint8_t first = static_cast<uint8_t>(line[0]);
  for (size_t k = kByFirstByte.start[first]; k < kByFirstByte.start[first + 1]; ++k) {
    const ConfigField& field = kConfigFields[kByFirstByte.order[k]];
    if (line.starts_with(field.name)) return &field;
  }
  return nullptr;
}

const ConfigField* MatchConfigField(std::string_view line, const ConfigField* likely) {
  // The first byte rules out most other lines before a full comparison.
  if (likely != nullptr && !line.empty() && line[0] == likely->name[0] && line.starts_with(likely->name)) return likely;
  return MatchConfigField(line);
}

int32_t ParseDecimal(std::string_view text) {
  size_t i = 0;
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate with saturation so that absurd numbers stay at the 32-bit limits.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(magnitude >= kLimit ? kLimit - 1 : magnitude);
}

bool HoldsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string WithoutLineBreaks(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    if (c != '\r' && c != '\n') kept.push_back(c);
  }
  return kept;
}
