// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "engine/ScaleNoteList.h"
#include "model/Configuration.h"
#include "model/EngineDisplay.h"
#include "model/TabletPacket.h"

class MidiPort;
class NoteChannels;

/// Note mode: the tablet split into one band per playable note; entering a band
/// with the pen pressed starts its note (tool 1) or chord (tool 2), lifting the
/// pen stops it. The port remembers which notes sound, so a stop sends exactly
/// their note-offs, whatever the tool, chord, channel or "generate notes" box
/// says by then; `lastNote` only tells whether a band is playing. A band
/// change resets the control-change rows but leaves pitch bend and channel
/// pressure where they are, so a bend or a swell carries across notes; the
/// lift returns them to rest too.
///
/// A gliding preset keeps the notes sounding across bands while the pen
/// presses: at a band change they bend to the new band's note (slide), or
/// their pitch follows the pen from band centre to band centre (glide); a note
/// further than the bend range from the one that started restarts as usual.
class NoteGenerator {
 public:
  NoteGenerator(MidiPort& port, NoteChannels& channels, EngineDisplay& display)
      : port_(port), channels_(channels), display_(display) {}

  void Build(const Configuration& config);
  /// The pen moved to the normalised position (nx, ny); `pen` holds this packet.
  void UpdateNote(const Configuration& config, const PenState& pen, float nx, float ny);
  /// The pen was lifted.
  void ReleaseNote(const Configuration& config);

  const ScaleNoteList& NoteList() const { return noteList_; }
  uint8_t LastNote() const { return lastNote_; }

 private:
  MidiPort& port_;
  NoteChannels& channels_;
  EngineDisplay& display_;
  ScaleNoteList noteList_;
  uint8_t lastNote_ = kNoNote;
};
