// SPDX-License-Identifier: MIT
#include "engine/NoteGenerator.h"

#include <array>
#include <cstdlib>
#include <tuple>

#include "engine/BendValues.h"
#include "engine/MidiPort.h"
#include "engine/NoteChannels.h"
#include "engine/Truncation.h"
#include "music/ChordTable.h"
#include "music/NoteNames.h"

namespace {
constexpr uint8_t kFixedVelocity = 80;
constexpr uint8_t kPanController = 10;
constexpr size_t kMaxChordNotes = std::tuple_size_v<decltype(Chord::intervals)>;

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
  const float x = count * p;
  uint8_t index = LowByte(TruncToInt32(x));
  if (index == count) index = static_cast<uint8_t>(count - 1);  // the top or right edge
  // An empty list, or a pen reported outside the tablet, plays nothing.
  if (index >= count) return;

  const uint8_t note = noteList_.GetAt(index);
  const uint8_t pan = LowByte(TruncToInt32(nx * 127.0f));
  // A gliding preset moves the notes that sound while the pen presses; the
  // pitch follows the pen only in glide proper.
  const bool gliding =
      config.glide != kGlideOff && pen.pressure != 0 && lastNote_ != kNoNote && port_.SoundingNoteCount() > 0;
  const double pitch =
      config.glide == kGlideFollow ? GlidePitch(noteList_.Notes(), index, x - static_cast<float>(index)) : note;
  if (note == lastNote_) {  // moving inside one band
    if (gliding && config.glide == kGlideFollow) channels_.Glide(config, pitch);
    return;
  }

  display_.SetDisplayText(Readout::NoteName, FormatNoteName(note));
  if (gliding && std::abs(note - channels_.StartedNote()) <= config.bendRange) {
    channels_.Glide(config, pitch);
    lastNote_ = note;
    return;
  }
  if (lastNote_ != kNoNote) {
    port_.StopSoundingNotes();
    channels_.ResetControllers(config, ControllerReset::KeepExpression);
  }
  if (pen.pressure == 0) return;  // hovering: the name follows the pen, nothing sounds

  const uint8_t velocity = config.initialPressure ? LowByte(PressureEighths(pen.pressure)) : kFixedVelocity;
  // The channels the notes started on, for the pan: one per note with
  // per-note channels, else the preset's.
  std::array<uint8_t, kMaxChordNotes> started{};
  size_t startedCount = 0;
  auto start = [&](int startNote) {
    const uint8_t channel = channels_.StartNote(config, static_cast<uint8_t>(startNote), velocity);
    if (startedCount < started.size()) started[startedCount++] = channel;
  };
  channels_.BeginNotes(config, note, pitch);
  if (pen.cursor == PenCursor::kPen) {
    start(note);
  } else if (pen.cursor == PenCursor::kEraser) {
    if (const Chord* chord = ChordOf(config)) {
      for (int i = 0; i < chord->count; ++i) {
        const int chordNote = note + chord->intervals[i];
        if (chordNote < kNoteCount) start(chordNote);
      }
    }
  }
  if (config.initialPosition) {
    if (!config.mpe) {
      port_.SendShortMessage(kControlChange, config.midiChannel, kPanController, pan);
    } else {
      for (size_t i = 0; i < startedCount; ++i) port_.SendShortMessage(kControlChange, started[i], kPanController, pan);
    }
  }
  lastNote_ = note;
}

void NoteGenerator::ReleaseNote(const Configuration& config) {
  if (lastNote_ == kNoNote) return;
  // The notes stop even when "generate notes" was unchecked meanwhile.
  port_.StopSoundingNotes();
  channels_.ResetControllers(config);
  lastNote_ = kNoNote;
}
