// SPDX-License-Identifier: MIT
#include "engine/NoteGenerator.h"

#include "engine/MidiPort.h"
#include "engine/Truncation.h"
#include "music/ChordTable.h"
#include "music/NoteNames.h"

namespace {
constexpr uint8_t kFixedVelocity = 80;
constexpr uint8_t kPanController = 10;

// The chord of a configuration, or none for an index beyond the table (only a
// damaged file could bring one).
const Chord* ChordOf(const Configuration& config) {
  return config.chord < kChordCount ? &ChordTable[config.chord] : nullptr;
}
}  // namespace

void NoteGenerator::Build(const Configuration& config) {
  noteList_.Build(config.scale, config.key, config.minNote, config.maxNote);
}

void NoteGenerator::UpdateNote(const Configuration& config, const PenState& pen, float nx, float ny) {
  const uint8_t count = noteList_.GetCount();
  const float p = config.noteDirection != 0 ? nx : 1.0f - ny;
  uint8_t index = LowByte(TruncToInt32(count * p));
  if (index == count) index = static_cast<uint8_t>(count - 1);  // the top or right edge
  // An empty list, or a pen reported outside the tablet, plays nothing.
  if (index >= count) return;

  const uint8_t note = noteList_.GetAt(index);
  const uint8_t pan = LowByte(TruncToInt32(nx * 127.0f));
  if (note == lastNote_) return;  // moving inside one band

  display_.SetDisplayText(Readout::NoteName, FormatNoteName(note));
  if (lastNote_ != kNoNote) {
    port_.StopSoundingNotes();
    port_.ResetControllers(config, ControllerReset::KeepExpression);
  }
  if (pen.pressure == 0) return;  // hovering: the name follows the pen, nothing sounds

  const uint8_t velocity = config.initialPressure ? LowByte(PressureEighths(pen.pressure)) : kFixedVelocity;
  if (pen.cursor == PenCursor::kPen) {
    port_.StartNote(config.midiChannel, note, velocity);
  } else if (pen.cursor == PenCursor::kEraser) {
    if (const Chord* chord = ChordOf(config)) {
      for (int i = 0; i < chord->count; ++i) {
        const int chordNote = note + chord->intervals[i];
        if (chordNote < kNoteCount) port_.StartNote(config.midiChannel, static_cast<uint8_t>(chordNote), velocity);
      }
    }
  }
  if (config.initialPosition) port_.SendShortMessage(kControlChange, config.midiChannel, kPanController, pan);
  lastNote_ = note;
}

void NoteGenerator::ReleaseNote(const Configuration& config) {
  if (lastNote_ == kNoNote) return;
  // The notes stop even when "generate notes" was unchecked meanwhile.
  port_.StopSoundingNotes();
  port_.ResetControllers(config);
  lastNote_ = kNoNote;
}
