// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "engine/BendValues.h"
#include "engine/MemberChannels.h"
#include "engine/MidiPort.h"
#include "model/Configuration.h"

/// Where notes and their expression go, and the pitch bends that carry them,
/// for presets that glide or give each note a channel of its own (MPE); a
/// preset that does neither plays on its channel exactly as it always did.
///
/// With per-note channels each note starts on a member channel (2..16) of
/// its own, preceded there by its bend and, with a channel-pressure row, the
/// row's latest value; pitch bend and pressure rows reach the channel of every
/// sounding note, everything else goes to channel 1. A gliding preset bends
/// the sounding notes instead of restarting them. The bends are relative to
/// the note that started (a chord's root) over the preset's bend range, with
/// a pitch-bend row's offset from the centre added on top.
class NoteChannels {
 public:
  explicit NoteChannels(MidiPort& port) : port_(port) { ForgetBends(); }

  // Set-up. The synthesiser is told the zone of member channels (or that there
  // is none any more) and the bend range, with registered parameter numbers.
  /// A preset was shown or its port chosen, after its programme change: the
  /// rows' latest values are forgotten (nothing has sent them yet), then the set-up.
  void PresetShown(const Configuration& config);
  /// Glide, bend range, MPE or the channel of the preset changed.
  void SendSetUp(const Configuration& config);

  // Notes, in the order of a note step: BeginNotes, StartNote for each note.
  /// The notes about to start stand for `startedNote` (a chord's root) and
  /// sound at `pitch`.
  void BeginNotes(const Configuration& config, uint8_t startedNote, double pitch);
  /// Starts a note on its channel, which is returned (the pan follows it).
  uint8_t StartNote(const Configuration& config, uint8_t note, uint8_t velocity);
  /// The sounding notes follow the pen to `pitch`: each of their channels
  /// whose bend would change is bent.
  void Glide(const Configuration& config, double pitch);
  /// The note the sounding notes started as.
  uint8_t StartedNote() const { return startedNote_; }

  // The rows.
  /// A row's mapped value, sent where the preset sends that controller.
  void SendRowValue(const Configuration& config, uint8_t controller, uint8_t out);
  /// MidiPort::ResetControllers; a full reset also forgets the rows' latest values.
  void ResetControllers(const Configuration& config, ControllerReset which = ControllerReset::All);
  /// The bends last sent are no longer known (the port returned them to rest).
  void ForgetBends() { lastBend_.fill(kUnknownBend); }

 private:
  static constexpr int kUnknownBend = -1;

  /// The member channel for a new note; when a note sounds on every member,
  /// the oldest one stops and makes way.
  uint8_t ChooseMemberChannel();
  void SendBend(uint8_t channel, uint16_t bend);
  /// A registered parameter set on `channel`, then the null parameter, so
  /// that no later data entry changes it by mistake; false when a message
  /// failed (and the rest were not sent).
  bool SendRegisteredParameter(uint8_t channel, uint8_t parameter, uint8_t value);
  /// The offset a pitch-bend row adds to every bend; 0 without such a row.
  int RowBendOffset(const Configuration& config) const;
  /// Calls `send(channel)` for the channel of each sounding note, in the
  /// order they started, each channel once; false when none sounds.
  template <class Send>
  bool ForEachSoundingChannel(Send send) const;

  MidiPort& port_;
  MemberChannels members_;
  uint8_t startedNote_ = 0;
  int noteBend_ = kCentreBend;  ///< the sounding notes' bend, before a row's offset
  int rowBendOffset_ = 0;       ///< a pitch-bend row's latest value less the centre
  uint8_t rowPressure_ = 0;     ///< a channel-pressure row's latest value
  std::array<int, kChannelCount> lastBend_{};
};
