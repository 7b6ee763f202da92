// SPDX-License-Identifier: MIT
#include "config/ConfigFileWriter.h"

#include <string_view>

#include "config/ConfigFields.h"

namespace {

// Line ends are written explicitly so that the file is the same on every platform.
constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append(kLineEnd);
}

// The value of a field as the file writes it: numbers in decimal from the
// unsigned field, flags as 1 only for exactly 1.
std::string FieldValue(const Configuration& c, const ConfigField& field) {
  auto flag = [](uint8_t value) { return std::string(value == 1 ? "1" : "0"); };
  switch (field.kind) {
    case FieldKind::MidiOutPort: return std::to_string(c.midiOutPort);
    case FieldKind::MidiOutPortName: return c.midiOutPortName;
    case FieldKind::MidiChannel: return std::to_string(c.midiChannel);
    case FieldKind::MidiPatch: return std::to_string(c.midiPatch);
    case FieldKind::Scale: return std::to_string(c.scale);
    case FieldKind::Key: return std::to_string(c.key);
    case FieldKind::Chord: return std::to_string(c.chord);
    case FieldKind::MinNote: return std::to_string(c.minNote);
    case FieldKind::MaxNote: return std::to_string(c.maxNote);
    case FieldKind::PlayNotes: return flag(c.playNotes);
    case FieldKind::InitialPosition: return flag(c.initialPosition);
    case FieldKind::InitialPressure: return flag(c.initialPressure);
    case FieldKind::NoteDirection: return std::to_string(c.noteDirection);
    case FieldKind::ControllerNumber: return std::to_string(c.cc[field.input]);
    case FieldKind::ControllerMinimum: return std::to_string(c.min[field.input]);
    case FieldKind::ControllerMaximum: return std::to_string(c.max[field.input]);
    case FieldKind::ResponseCurveCode: return std::to_string(c.map[field.input]);
    case FieldKind::Picture: return c.picture;
    case FieldKind::ColorModel: return std::to_string(c.colorModel);
  }
  return {};
}

}  // namespace

std::string FormatConfigFile(const std::array<Configuration, kSlotCount>& configs) {
  std::string out;
  out.reserve(16384);
  AppendLine(out, kConfigHeaderLine);
  AppendLine(out, kConfigIdentificationLine);
  AppendLine(out, "written by Ardwyn");
  AppendLine(out, "version: 1");
  AppendLine(out, "revision: 3");
  AppendLine(out, "</header>");
  AppendLine(out, "");
  AppendLine(out, "");
  for (const Configuration& config : configs) {
    AppendLine(out, "<config>");
    for (const ConfigField& field : kConfigFields) {
      out.append(field.name);
      AppendLine(out, FieldValue(config, field));
    }
    AppendLine(out, kConfigBlockEndLine);
    AppendLine(out, "");
  }
  return out;
}
