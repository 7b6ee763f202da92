// SPDX-License-Identifier: MIT
#include "tools/replay/ReplayRunner.h"

#include <algorithm>
#include <array>

#include "config/ConfigFields.h"
#include "tools/replay/ScriptParsing.h"

using namespace ScriptParsing;

namespace {
constexpr int64_t kLargestSize = 1 << 30;
}  // namespace

ReplayRunner::ReplayRunner(std::unique_ptr<MidiOutService> midi, ReplayOutput& out, bool showDisplays)
    : midi_(std::move(midi)),
      messages_(out),
      display_(out, showDisplays),
      engine_(*midi_, messages_, display_, tools_, copyBuffer_) {
  engine_.Start();
  engine_.MarkInitialised();
}

bool ReplayRunner::RunLine(std::string_view line, std::string& error) {
  if (IsIgnorable(line)) return true;
  std::string_view rest;
  const std::string_view command = SplitCommand(line, rest);
  const auto words = Words(rest);
  auto noArguments = [&]() {
    if (!words.empty()) error = "'" + std::string(command) + "' takes no arguments";
    return words.empty();
  };

  if (command == "packet") return RunPacket(rest, error);
  if (command == "screen" || command == "area") {
    const int64_t lowest = command == "screen" ? 2 : 0;
    std::optional<int64_t> w, h;
    if (words.size() == 2) {
      w = ParseInRange(words[0], lowest, kLargestSize);
      h = ParseInRange(words[1], lowest, kLargestSize);
    }
    if (!w || !h) {
      error = "'" + std::string(command) + "' takes a width and a height of at least " + std::to_string(lowest);
      return false;
    }
    if (command == "screen") {
      geometry_.screenWidth = static_cast<int32_t>(*w);
      geometry_.screenHeight = static_cast<int32_t>(*h);
    } else {
      geometry_.areaWidth = static_cast<int32_t>(*w);
      geometry_.areaHeight = static_cast<int32_t>(*h);
    }
    return true;
  }
  if (command == "slot") {
    std::optional<int64_t> slot;
    if (words.size() == 1) slot = ParseInRange(words[0], 1, kSlotCount);
    if (!slot) {
      error = "'slot' takes a number from 1 to " + std::to_string(kSlotCount);
      return false;
    }
    engine_.SelectConfiguration(static_cast<int>(*slot - 1));
    return true;
  }
  if (command == "press" || command == "release") {
    if (!noArguments()) return false;
    engine_.SetControllerMode(command == "press");
    return true;
  }
  if (command == "copy" || command == "paste" || command == "reset" || command == "clear" || command == "rgb" ||
      command == "hsv" || command == "panic") {
    if (!noArguments()) return false;
    if (command == "copy") engine_.OnCopy();
    if (command == "paste") engine_.OnPaste();
    if (command == "reset") engine_.OnReset();
    if (command == "clear") engine_.ClearPicture();
    if (command == "rgb") engine_.SetColorModel(0);
    if (command == "hsv") engine_.SetColorModel(1);
    if (command == "panic") engine_.Panic();
    return true;
  }
  if (command == "set") return RunSet(rest, error);
  if (command == "picture" || command == "load" || command == "save") {
    const std::string path(Trim(rest));
    if (path.empty()) {
      error = "'" + std::string(command) + "' needs a path";
      return false;
    }
    if (command == "picture") engine_.LoadPicture(path);
    if (command == "load") engine_.LoadConfigurations(path);
    if (command == "save") engine_.SaveConfigurations(path);
    return true;
  }
  error = "unknown command '" + std::string(command) + "'";
  return false;
}

bool ReplayRunner::RunPacket(std::string_view arguments, std::string& error) {
  const auto words = Words(arguments);
  std::array<uint32_t, 8> fields{};
  bool ok = words.size() == fields.size();
  for (size_t i = 0; ok && i < fields.size(); ++i) {
    const auto value = ParseWrapped32(words[i]);
    ok = value.has_value();
    if (ok) fields[i] = *value;
  }
  if (!ok) {
    error = "'packet' takes CURSOR BUTTONS X Y PRESSURE AZIMUTH ALTITUDE TWIST as integers";
    return false;
  }
  TabletPacket packet;
  packet.cursor = fields[0];
  packet.buttons = fields[1];
  packet.x = static_cast<int32_t>(fields[2]);
  packet.y = static_cast<int32_t>(fields[3]);
  packet.normalPressure = fields[4];
  packet.azimuth = static_cast<int32_t>(fields[5]);
  packet.altitude = static_cast<int32_t>(fields[6]);
  packet.twist = static_cast<int32_t>(fields[7]);
  ProcessPacket(packet);
  return true;
}

bool ReplayRunner::RunSet(std::string_view fieldLine, std::string& error) {
  // The field line keeps its own spacing: names are matched as the file reader
  // matches them, including the blanks around "=".
  while (!fieldLine.empty() && (fieldLine.back() == '\r')) fieldLine.remove_suffix(1);
  const ConfigField* field = MatchConfigField(fieldLine);
  // The line's trailing blanks are gone, and with them the blank that ends
  // every name: an empty value ("Picture = ", which is Clear) arrives as "Picture =".
  if (!field) {
    const ConfigField* padded = MatchConfigField(std::string(fieldLine) + ' ');
    if (padded && padded->name.size() == fieldLine.size() + 1) field = padded;
  }
  if (!field) {
    error = "'set' needs a configuration line such as 'Scale = 5'";
    return false;
  }
  const std::string_view value = fieldLine.substr(std::min(field->name.size(), fieldLine.size()));
  if (field->kind == FieldKind::Picture) {
    if (value.empty()) {
      engine_.ClearPicture();
    } else {
      engine_.LoadPicture(std::string(value));
    }
    return true;
  }
  if (field->kind == FieldKind::MidiOutPort || field->kind == FieldKind::MidiOutPortName) {
    // The port box is filled again as it opens, then an entry is chosen.
    engine_.RefreshPorts();
  }
  if (field->kind == FieldKind::MidiOutPortName) {
    engine_.SelectPortByName(std::string(value));
    return true;
  }
  ApplyField(*field, ParseDecimal(value));
  return true;
}

// Applies a value with exactly the effect of the control that shows the field.
// A value the control could not send (an entry its list does not have, a curve
// code past the last) is refused by the engine and changes nothing.
void ReplayRunner::ApplyField(const ConfigField& field, int32_t value) {
  switch (field.kind) {
    case FieldKind::MidiOutPort: engine_.SelectPort(value); break;
    case FieldKind::MidiChannel: engine_.SelectChannel(value); break;
    case FieldKind::MidiPatch: engine_.SelectPatch(value); break;
    case FieldKind::Scale: engine_.SelectScale(value); break;
    case FieldKind::Key: engine_.SelectKey(value); break;
    case FieldKind::Chord: engine_.SelectChord(value); break;
    case FieldKind::NoteDirection: engine_.SelectNoteDirection(value); break;
    case FieldKind::ControllerNumber: engine_.SelectController(field.input, value); break;
    case FieldKind::PlayNotes: engine_.SetPlayNotes(value == 1); break;
    case FieldKind::InitialPosition: engine_.SetInitialPosition(value == 1); break;
    case FieldKind::InitialPressure: engine_.SetInitialPressure(value == 1); break;
    case FieldKind::ControllerMinimum: engine_.SetControllerMinimum(field.input, value); break;
    case FieldKind::ControllerMaximum: engine_.SetControllerMaximum(field.input, value); break;
    case FieldKind::ResponseCurveCode: engine_.SetResponseCurve(field.input, value); break;
    case FieldKind::MinNote: engine_.SetNoteLimit(NoteLimit::Lower, value); break;
    case FieldKind::MaxNote: engine_.SetNoteLimit(NoteLimit::Upper, value); break;
    case FieldKind::ColorModel: engine_.SetColorModel(value); break;
    case FieldKind::Glide: engine_.SelectGlide(value); break;
    case FieldKind::BendRange: engine_.SetBendRange(value); break;
    case FieldKind::Mpe: engine_.SetMpe(value == 1); break;
    case FieldKind::Picture:
    case FieldKind::MidiOutPortName: break;  // taken by RunSet
  }
}
