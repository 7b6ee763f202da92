// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// What a configuration-file line sets.
enum class FieldKind {
  MidiOutPort,
  MidiOutPortName,
  MidiChannel,
  MidiPatch,
  Scale,
  Key,
  Chord,
  MinNote,
  MaxNote,
  PlayNotes,
  InitialPosition,
  InitialPressure,
  NoteDirection,
  ControllerNumber,   ///< cc[input]
  ControllerMinimum,  ///< min[input]
  ControllerMaximum,  ///< max[input]
  ResponseCurveCode,  ///< map[input]
  Picture,
  ColorModel,
  Glide,      ///< glide, a GlideMode
  BendRange,  ///< bendRange, in semitones
  Mpe,        ///< mpe, one channel per note
};

/// One line of a configuration block: the text before the value, and the field.
struct ConfigField {
  std::string_view name;  ///< e.g. "Scale = ", matched case-sensitively at the line's start
  FieldKind kind;
  int input;  ///< the ControllerInput of the per-controller fields, else -1
};

inline constexpr int kConfigFieldCount = 50;
/// No field's name is longer.
inline constexpr size_t kMaxConfigFieldNameLength = 32;

/// The 50 lines of a block in file order: the 46 of the first version, then
/// the port's name, then glide, bend range and MPE (readers that do not know
/// a line ignore it, as any other line).
extern const std::array<ConfigField, kConfigFieldCount> kConfigFields;

/// The field whose name the line starts with, or nullptr. No name is the start
/// of another, so at most one matches.
const ConfigField* MatchConfigField(std::string_view line);
/// The same, trying `likely` first (may be nullptr): the field after the
/// previous line's field is the next line's in every file the writer made.
const ConfigField* MatchConfigField(std::string_view line, const ConfigField* likely);

/// The decimal rule of the file reader: leading blanks skipped, an optional
/// sign, digits up to the first other character; no digit reads as 0. Values
/// beyond the 32-bit range saturate.
int32_t ParseDecimal(std::string_view text);

/// Whether text holds a line end (CR or LF). A field's text cannot hold one:
/// written into a file, it would end the line there and make the rest a line
/// of its own.
bool HoldsLineBreak(std::string_view text);
/// The text without its CR and LF bytes, as a text field is written.
std::string WithoutLineBreaks(std::string_view text);
