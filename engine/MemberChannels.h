// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/MidiPort.h"
#include "model/Ranges.h"

/// Chooses the channel of each note when every note has one of its own: one
/// of the member channels 2..16 on which no note sounds, the one whose last
/// note ended longest ago, so that the release of a note just stopped keeps
/// its pitch and pressure. Channels never used come first, lowest first.
class MemberChannels {
 public:
  static constexpr uint8_t kFirstMember = 1;  ///< channel 2; channel 1 carries what is not per note

  /// Forgets which channels were used when: a new set-up starts afresh, as
  /// if none had been. A channel whose note still sounds stays taken.
  void Reset();
  /// The member channel for the next note, given the notes sounding now in
  /// the order they started; nothing when a note sounds on every member.
  std::optional<uint8_t> Choose(std::span<const MidiPort::SoundingNote> sounding);
  /// A note started on `channel`, which Choose gave.
  void Started(uint8_t channel);

 private:
  /// Notes seen to have ended get their order of ending: those that ended
  /// together, in the order they started, as their note-offs went out.
  void NoteEnded(std::span<const MidiPort::SoundingNote> sounding);

  std::array<uint32_t, kChannelCount> endedAt_{};  ///< 0: never used since the last reset
  uint32_t endings_ = 0;
  std::vector<uint8_t> started_;  ///< channels of the notes started here and not yet seen to end, in order
};
