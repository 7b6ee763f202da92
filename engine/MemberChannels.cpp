// SPDX-License-Identifier: MIT
#include "engine/MemberChannels.h"

#include <algorithm>

namespace {
bool Sounds(std::span<const MidiPort::SoundingNote> sounding, uint8_t channel) {
  return std::any_of(sounding.begin(), sounding.end(), [channel](const auto& n) { return n.channel == channel; });
}
}  // namespace

void MemberChannels::Reset() {
  endedAt_.fill(0);
  endings_ = 0;
  started_.clear();
}

void MemberChannels::NoteEnded(std::span<const MidiPort::SoundingNote> sounding) {
  // The port stops notes itself (a band change, the lift, a panic): a note
  // started here that it no longer has sounding has ended since the last look.
  std::erase_if(started_, [&](uint8_t channel) {
    if (Sounds(sounding, channel)) return false;
    endedAt_[channel] = ++endings_;
    return true;
  });
}

std::optional<uint8_t> MemberChannels::Choose(std::span<const MidiPort::SoundingNote> sounding) {
  NoteEnded(sounding);
  std::optional<uint8_t> chosen;
  for (uint8_t channel = kFirstMember; channel < kChannelCount; ++channel) {
    if (Sounds(sounding, channel)) continue;
    if (!chosen || endedAt_[channel] < endedAt_[*chosen]) chosen = channel;
  }
  return chosen;
}

void MemberChannels::Started(uint8_t channel) {
  if (std::find(started_.begin(), started_.end(), channel) == started_.end()) started_.push_back(channel);
}
