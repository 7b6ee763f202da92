// SPDX-License-Identifier: MIT
#include "engine/NoteChannels.h"

#include <algorithm>

#include "midi/ShortMessage.h"

namespace {
// Registered parameter numbers (controllers 101 and 100 select one, 6 sets it,
// 127 and 127 select none) and the ones Quill sets.
constexpr uint8_t kParameterMsb = 101;
constexpr uint8_t kParameterLsb = 100;
constexpr uint8_t kDataEntry = 6;
constexpr uint8_t kNullParameter = 127;
constexpr uint8_t kBendRangeParameter = 0;
constexpr uint8_t kMpeConfigurationParameter = 6;  // on channel 1: how many member channels follow it
constexpr uint8_t kMemberCount = kChannelCount - MemberChannels::kFirstMember;

bool HasRow(const Configuration& config, uint8_t controller) {
  return std::find(config.cc.begin(), config.cc.end(), controller) != config.cc.end();
}
}  // namespace

// --- Set-up

void NoteChannels::PresetShown(const Configuration& config) {
  rowBendOffset_ = 0;
  rowPressure_ = 0;
  SendSetUp(config);
}

void NoteChannels::SendSetUp(const Configuration& config) {
  members_.Reset();
  ForgetBends();
  // A set-up that fails stops at its first message: the rest would fail too,
  // each with its own report. The next preset shown or port chosen sends it again.
  if (config.mpe) {
    // The lower zone: channel 1 for the rest, every other channel a member;
    // the message resets the members' bend range, which is set after it.
    bool sent = SendRegisteredParameter(0, kMpeConfigurationParameter, kMemberCount);
    for (uint8_t channel = MemberChannels::kFirstMember; sent && channel < kChannelCount; ++channel)
      sent = SendRegisteredParameter(channel, kBendRangeParameter, config.bendRange);
    port_.SetMpeZone(port_.IsOpen());
    return;
  }
  if (port_.MpeZone()) {
    // The destination still gives each note a channel: no more.
    port_.SetMpeZone(false);
    if (!SendRegisteredParameter(0, kMpeConfigurationParameter, 0)) return;
  }
  if (config.glide != kGlideOff) SendRegisteredParameter(config.midiChannel, kBendRangeParameter, config.bendRange);
}

bool NoteChannels::SendRegisteredParameter(uint8_t channel, uint8_t parameter, uint8_t value) {
  const uint8_t messages[][2] = {{kParameterMsb, 0},
                                 {kParameterLsb, parameter},
                                 {kDataEntry, value},
                                 {kParameterMsb, kNullParameter},
                                 {kParameterLsb, kNullParameter}};
  for (const auto& [controller, data] : messages) {
    if (!port_.SendShortMessage(kControlChange, channel, controller, data)) return false;
  }
  return true;
}

// --- Notes

void NoteChannels::BeginNotes(const Configuration& config, uint8_t startedNote, double pitch) {
  startedNote_ = startedNote;
  noteBend_ = BendForPitch(pitch, startedNote, config.bendRange);
}

uint8_t NoteChannels::StartNote(const Configuration& config, uint8_t note, uint8_t velocity) {
  if (!BendsEachNote(config)) {
    port_.StartNote(config.midiChannel, note, velocity);
    return config.midiChannel;
  }
  const uint8_t channel = config.mpe ? ChooseMemberChannel() : config.midiChannel;
  // The channel may still be bent from an earlier note, or from the glide.
  SendBend(channel, OffsetBend(noteBend_, RowBendOffset(config)));
  if (config.mpe && HasRow(config, kChannelPressureController))
    port_.SendControllerValue(channel, kChannelPressureController, rowPressure_);
  port_.StartNote(channel, note, velocity);
  if (config.mpe) members_.Started(channel);
  return channel;
}

uint8_t NoteChannels::ChooseMemberChannel() {
  if (const auto channel = members_.Choose(port_.SoundingNotes())) return *channel;
  for (const MidiPort::SoundingNote& oldest : port_.SoundingNotes()) {
    if (oldest.channel < MemberChannels::kFirstMember) continue;
    port_.StopNotesOn(oldest.channel);
    break;
  }
  return members_.Choose(port_.SoundingNotes()).value_or(MemberChannels::kFirstMember);
}

void NoteChannels::Glide(const Configuration& config, double pitch) {
  noteBend_ = BendForPitch(pitch, startedNote_, config.bendRange);
  const uint16_t bend = OffsetBend(noteBend_, RowBendOffset(config));
  ForEachSoundingChannel([&](uint8_t channel) {
    if (lastBend_[channel] != bend) SendBend(channel, bend);
  });
}

// --- Rows

void NoteChannels::SendRowValue(const Configuration& config, uint8_t controller, uint8_t out) {
  if (!BendsEachNote(config) || !IsExpressionController(controller)) {
    port_.SendControllerValue(ControlChannel(config), controller, out);
    return;
  }
  if (controller == kChannelPressureController) {
    rowPressure_ = out;
    auto send = [&](uint8_t channel) { port_.SendControllerValue(channel, controller, out); };
    if (!config.mpe || !ForEachSoundingChannel(send)) send(ControlChannel(config));
    return;
  }
  rowBendOffset_ = RowBend(out) - kCentreBend;
  // Without a sounding note there is no glide to add the offset to.
  const bool sounding = !port_.SoundingNotes().empty();
  const uint16_t bend = OffsetBend(sounding ? noteBend_ : kCentreBend, rowBendOffset_);
  auto send = [&](uint8_t channel) { SendBend(channel, bend); };
  if (!config.mpe || !ForEachSoundingChannel(send)) send(ControlChannel(config));
}

void NoteChannels::ResetControllers(const Configuration& config, ControllerReset which) {
  port_.ResetControllers(config, which);
  if (which != ControllerReset::All) return;
  rowBendOffset_ = 0;
  rowPressure_ = 0;
  ForgetBends();  // a pitch-bend row was centred
}

int NoteChannels::RowBendOffset(const Configuration& config) const {
  return HasRow(config, kPitchBendController) ? rowBendOffset_ : 0;
}

void NoteChannels::SendBend(uint8_t channel, uint16_t bend) {
  port_.SendBend(channel, bend);
  lastBend_[channel & 0x0F] = bend;
}

template <class Send>
bool NoteChannels::ForEachSoundingChannel(Send send) const {
  const auto& sounding = port_.SoundingNotes();
  for (size_t i = 0; i < sounding.size(); ++i) {
    const uint8_t channel = sounding[i].channel;
    const auto earlier = sounding.begin() + static_cast<std::ptrdiff_t>(i);
    if (std::none_of(sounding.begin(), earlier, [channel](const auto& n) { return n.channel == channel; }))
      send(channel);
  }
  return !sounding.empty();
}
