// SPDX-License-Identifier: MIT
#include "config/ConfigFileWriter.h"

#include <charconv>
#include <cstring>
#include <iterator>
#include <string_view>

#include "config/ConfigFields.h"

namespace {

// Line ends are written explicitly so that the file is the same on every platform.
constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append(kLineEnd);
}

// The number a field other than the picture writes: the unsigned field's
// value, a flag as 1 only for exactly 1.
unsigned NumberOf(const Configuration& c, const ConfigField& field) {
  auto flag = [](uint8_t value) { return value == 1 ? 1u : 0u; };
  switch (field.kind) {
    case FieldKind::MidiOutPort: return c.midiOutPort;
    case FieldKind::MidiChannel: return c.midiChannel;
    case FieldKind::MidiPatch: return c.midiPatch;
    case FieldKind::Scale: return c.scale;
    case FieldKind::Key: return c.key;
    case FieldKind::Chord: return c.chord;
    case FieldKind::MinNote: return c.minNote;
    case FieldKind::MaxNote: return c.maxNote;
    case FieldKind::PlayNotes: return flag(c.playNotes);
    case FieldKind::InitialPosition: return flag(c.initialPosition);
    case FieldKind::InitialPressure: return flag(c.initialPressure);
    case FieldKind::NoteDirection: return c.noteDirection;
    case FieldKind::ControllerNumber: return c.cc[field.input];
    case FieldKind::ControllerMinimum: return c.min[field.input];
    case FieldKind::ControllerMaximum: return c.max[field.input];
    case FieldKind::ResponseCurveCode: return c.map[field.input];
    case FieldKind::ColorModel: return c.colorModel;
    case FieldKind::Glide: return c.glide;
    case FieldKind::BendRange: return c.bendRange;
    case FieldKind::Mpe: return flag(c.mpe);
    case FieldKind::Picture:
    case FieldKind::MidiOutPortName: break;
  }
  return 0;
}

// Appends the line of a field: its name, its value in decimal (the picture
// and the port name: their text, without any CR or LF, which would end the
// line early), the line end. A numeric line is put together on the stack and
// appended at once.
void AppendFieldLine(std::string& out, const Configuration& c, const ConfigField& field) {
  if (field.kind == FieldKind::Picture || field.kind == FieldKind::MidiOutPortName) {
    const std::string& text = field.kind == FieldKind::Picture ? c.picture : c.midiOutPortName;
    out.append(field.name);
    AppendLine(out, HoldsLineBreak(text) ? WithoutLineBreaks(text) : text);
    return;
  }
  char line[kMaxConfigFieldNameLength + 16];
  std::memcpy(line, field.name.data(), field.name.size());
  char* end = std::to_chars(line + field.name.size(), std::end(line), NumberOf(c, field)).ptr;
  *end++ = '\r';
  *end++ = '\n';
  out.append(line, static_cast<size_t>(end - line));
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
      AppendFieldLine(out, config, field);
    }
    AppendLine(out, kConfigBlockEndLine);
    AppendLine(out, "");
  }
  return out;
}
