// SPDX-License-Identifier: MIT
#include "engine/MidiPort.h"

#include <algorithm>
#include <utility>

#include "config/ConfigFields.h"
#include "engine/BendValues.h"
#include "midi/MidiOutService.h"

namespace {
constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kAllNotesOff = 123;
constexpr uint8_t kBendCentre = 64;  // upper seven bits of 8192, the unbent pitch
constexpr size_t kMostOwed = 4096;

constexpr std::string_view kMidiError = "MIDI error";
constexpr std::string_view kUnableToOpen = "Unable to open the selected MIDI Out device!";
}  // namespace

bool MidiPort::OpenMidiOut(uint8_t port, const std::string& name, bool closeOnly) {
  if (midiOutIsOpen_) {
    // Whatever sounds is stopped here, on the port that started it: once the
    // port is closed nothing can reach those notes any more. A bend or a
    // pressure left on it would detune or colour the next notes played there.
    StopSoundingNotes();
    ReturnExpressionToRest();
    // What is still owed goes now or never: it belongs to this destination.
    SendOwed();
    owed_.clear();
    if (!service_.Close()) {
      // The old port stays open and in use.
      messages_.ShowMessage("Unable to close the previous MIDI Out device!");
      return false;
    }
    midiOutIsOpen_ = false;
    mpeZone_ = false;  // the next destination has heard nothing of it
    link_ = MidiLink::Closed;
    patch_.reset();
  }
  if (closeOnly) return true;
  if (!service_.OpenNamed(name, port)) {
    Trouble(kUnableToOpen);
    return false;
  }
  midiOutIsOpen_ = true;
  // Asked for: the answer may come now or later.
  link_ = MidiLink::Connecting;
  FollowLink();
  return true;
}

bool MidiPort::UseMidiOut(uint8_t port, const std::string& name) {
  if (midiOutIsOpen_ && service_.IsOpenOn(name, port)) {
    // The same destination plays on: what the old preset left sounding or
    // bent is ended here, as a reconnection would.
    StopSoundingNotes();
    ReturnExpressionToRest();
    return true;
  }
  return OpenMidiOut(port, name, false);
}

void MidiPort::RefreshPorts() {
  service_.RefreshDevices();
  FollowLink();
}

std::string MidiPort::PortName(uint8_t port) const {
  return port < PortCount() ? WithoutLineBreaks(service_.GetStableDeviceName(port)) : std::string();
}

std::optional<uint8_t> MidiPort::FindPort(const std::string& name) const {
  for (int port = 0; port < PortCount(); ++port) {
    if (PortName(static_cast<uint8_t>(port)) == name) return static_cast<uint8_t>(port);
  }
  return std::nullopt;
}

bool MidiPort::PortAbsent(const std::string& name) const {
  return !name.empty() && service_.FollowsNames() && !FindPort(name);
}

int MidiPort::PortCount() const { return ListedPortCount(service_.GetNumDevs()); }

void MidiPort::FollowLink() {
  if (!midiOutIsOpen_) {
    link_ = MidiLink::Closed;
    return;
  }
  const MidiLink now = service_.Link();
  if (now == link_) return;
  const MidiLink before = std::exchange(link_, now);
  switch (now) {
    case MidiLink::Connected:
      if (std::exchange(troubled_, false)) messages_.TroubleResolved();
      if (before == MidiLink::Unconnected && patch_) {
        // A destination that has just come (back) has not heard the preset's
        // sound. Not the pen's doing: at once.
        const int64_t time = std::exchange(eventTime_, 0);
        mpeZone_ = false;  // it is another destination, or one started afresh
        if (destinationArrived_) {
          destinationArrived_();
        } else {
          const Configuration config = *patch_;
          SendProgramChange(config);
        }
        eventTime_ = time;
      }
      break;
    case MidiLink::Unconnected: Trouble(before == MidiLink::Connecting ? kUnableToOpen : kMidiError); break;
    case MidiLink::Stalled: Trouble(kMidiError); break;
    case MidiLink::Closed:
    case MidiLink::Connecting: break;
  }
}

bool MidiPort::Send(uint32_t packed) {
  if (!service_.SendShortMsgAt(packed, eventTime_)) return false;
  ++messagesSent_;
  return true;
}

bool MidiPort::SendOwed() {
  size_t sent = 0;
  while (sent < owed_.size() && Send(owed_[sent])) ++sent;
  owed_.erase(owed_.begin(), owed_.begin() + static_cast<std::ptrdiff_t>(sent));
  return owed_.empty();
}

void MidiPort::Trouble(std::string_view text) {
  troubled_ = true;
  // While one report is shown (a box runs a modal loop that keeps the
  // program running), further failures stay silent instead of stacking a
  // box per message.
  if (errorBoxOpen_) return;
  errorBoxOpen_ = true;
  messages_.ReportTrouble(text);
  errorBoxOpen_ = false;
}

bool MidiPort::SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) {
  FollowLink();
  const uint32_t packed = PackShortMessage(status, channel, data1, data2);
  // What is owed goes first: a note must not start before an earlier
  // note-off of its own key.
  if (SendOwed() && Send(packed)) {
    if (status == kPitchBend) bent_[channel & 0x0F] = (packed >> 8) != (uint32_t{kBendCentre} << 8);
    if (status == kChannelPressure) pressed_[channel & 0x0F] = data1 != 0;
    if (link_ == MidiLink::Connected && std::exchange(troubled_, false)) messages_.TroubleResolved();
    return true;
  }
  Trouble(kMidiError);
  return false;
}

void MidiPort::SendOrOwe(uint32_t packed) {
  FollowLink();
  if (SendOwed() && Send(packed)) {
    if (link_ == MidiLink::Connected && std::exchange(troubled_, false)) messages_.TroubleResolved();
    return;
  }
  // Kept for the port it belongs to, within reason: a port refuses for so
  // long only when its system has stalled for minutes.
  if (midiOutIsOpen_ && owed_.size() < kMostOwed) owed_.push_back(packed);
  Trouble(kMidiError);
}

void MidiPort::SendProgramChange(const Configuration& config) {
  if (config.midiPatch >= kProgramCount) {  // "------ None ------"
    patch_.reset();
    return;
  }
  patch_ = config;
  if (!config.mpe) {
    SendShortMessage(kProgramChange, config.midiChannel, config.midiPatch, 0);
    return;
  }
  // Each note plays on a channel of its own: every channel of the zone, the
  // first (which carries the rest) and then each member, gets the patch. A
  // destination that refuses one refuses the others: one report is enough.
  for (uint8_t channel = 0; channel < kChannelCount; ++channel) {
    if (!SendShortMessage(kProgramChange, channel, config.midiPatch, 0)) break;
  }
}

void MidiPort::SendControllerValue(uint8_t channel, uint8_t controller, uint8_t out) {
  if (controller == kPitchBendController) {
    SendBend(channel, RowBend(out));
  } else if (controller == kChannelPressureController) {
    SendShortMessage(kChannelPressure, channel, out, 0);
  } else {
    SendShortMessage(kControlChange, channel, controller, out);
  }
}

void MidiPort::ResetControllers(const Configuration& config, ControllerReset which) {
  const uint8_t channel = ControlChannel(config);
  for (int i = 0; i < kControllerInputCount; ++i) {
    const uint8_t cc = config.cc[i];
    if (cc == kNoController) continue;
    if (!IsExpressionController(cc)) {
      SendShortMessage(kControlChange, channel, cc, config.min[i]);
    } else if (which == ControllerReset::All) {
      SendControllerValue(channel, cc, cc == kPitchBendController ? kBendCentre : 0);
    }
  }
  for (int i = 0; i < kControllerInputCount; ++i) {
    if (which == ControllerReset::All || !IsExpressionController(config.cc[i]))
      display_.SetDisplayText(ValueReadout(i), "---");
  }
}

void MidiPort::StartNote(uint8_t channel, uint8_t note, uint8_t velocity) {
  // Remembered as sent: the channel is masked and the note clamped when packed.
  if (SendShortMessage(kNoteOn, channel, note, velocity)) sounding_.push_back({channel, note});
}

size_t MidiPort::SoundingNoteCount() const {
  const auto owedNoteOffs =
      std::count_if(owed_.begin(), owed_.end(), [](uint32_t packed) { return (packed & 0xF0) == kNoteOff; });
  return sounding_.size() + static_cast<size_t>(owedNoteOffs);
}

void MidiPort::StopSoundingNotes() {
  // The list is taken first: a failed note-off may open a box, and a note
  // that starts meanwhile belongs to the next stop, not to this one. A
  // note-off refused is owed: the note is forgotten only once it went out.
  SendOwed();
  std::vector<SoundingNote> stopping;
  stopping.swap(sounding_);
  for (const SoundingNote& n : stopping) SendOrOwe(PackShortMessage(kNoteOff, n.channel, n.note, 0));
  if (sounding_.empty()) {
    // Nothing started meanwhile: keep the storage for the next notes.
    stopping.clear();
    sounding_.swap(stopping);
  }
}

void MidiPort::SendBend(uint8_t channel, uint16_t bend) {
  SendShortMessage(kPitchBend, channel, static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>(bend >> 7));
}

void MidiPort::StopNotesOn(uint8_t channel) {
  std::vector<SoundingNote> stopping;
  std::erase_if(sounding_, [&](const SoundingNote& n) {
    if (n.channel != channel) return false;
    stopping.push_back(n);
    return true;
  });
  for (const SoundingNote& n : stopping) SendOrOwe(PackShortMessage(kNoteOff, n.channel, n.note, 0));
}

void MidiPort::ReturnExpressionToRest() {
  for (uint8_t channel = 0; channel < kChannelCount; ++channel) {
    // Forgotten first, as the notes are: the port is about to go, whether the
    // message gets through or not.
    if (std::exchange(bent_[channel], false)) SendShortMessage(kPitchBend, channel, 0, kBendCentre);
    if (std::exchange(pressed_[channel], false)) SendShortMessage(kChannelPressure, channel, 0, 0);
  }
}

void MidiPort::Panic() {
  StopSoundingNotes();
  for (uint8_t channel = 0; channel < kChannelCount; ++channel) {
    SendOrOwe(PackShortMessage(kControlChange, channel, kAllNotesOff, 0));
    SendOrOwe(PackShortMessage(kControlChange, channel, kAllSoundOff, 0));
  }
}
