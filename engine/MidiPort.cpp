// SPDX-License-Identifier: MIT
#include "engine/MidiPort.h"

#include "midi/MidiOutService.h"

namespace {
constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kAllNotesOff = 123;
constexpr uint8_t kChannelCount = 16;
}  // namespace

bool MidiPort::OpenMidiOut(uint8_t port, bool closeOnly) {
  if (midiOutIsOpen_) {
    // Whatever sounds is stopped here, on the port that started it: once the
    // port is closed nothing can reach those notes any more.
    StopSoundingNotes();
    if (!service_.Close()) {
      // The old port stays open and in use.
      messages_.ShowMessage("Unable to close the previous MIDI Out device!");
      return false;
    }
    midiOutIsOpen_ = false;
  }
  if (closeOnly) return true;
  if (!service_.Open(port)) {
    messages_.ShowMessage("Unable to open the selected MIDI Out device!");
    return false;
  }
  midiOutIsOpen_ = true;
  return true;
}

bool MidiPort::UseMidiOut(uint8_t port) {
  if (midiOutIsOpen_ && service_.IsConnectedTo(port)) {
    StopSoundingNotes();
    return true;
  }
  return OpenMidiOut(port, false);
}

void MidiPort::RefreshPorts() { service_.RefreshDevices(); }

std::string MidiPort::PortName(uint8_t port) const {
  return port < PortCount() ? service_.GetStableDeviceName(port) : std::string();
}

std::optional<uint8_t> MidiPort::FindPort(const std::string& name) const {
  for (unsigned port = 0; port < PortCount(); ++port) {
    if (service_.GetStableDeviceName(port) == name) return static_cast<uint8_t>(port);
  }
  return std::nullopt;
}

unsigned MidiPort::PortCount() const {
  // Only the low 8 bits of the count are used: a preset stores the port in a byte.
  return service_.GetNumDevs() & 0xFFu;
}

bool MidiPort::SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) {
  if (service_.SendShortMsg(PackShortMessage(status, channel, data1, data2))) return true;
  // While one box is open (its modal loop keeps the program running), further
  // failures stay silent instead of stacking a box per message.
  if (errorBoxOpen_) return false;
  errorBoxOpen_ = true;
  messages_.ShowMessage("MIDI error");
  errorBoxOpen_ = false;
  return false;
}

void MidiPort::SendProgramChange(const Configuration& config) {
  if (config.midiPatch > 127) return;  // "------ None ------"
  SendShortMessage(kProgramChange, config.midiChannel, config.midiPatch, 0);
}

void MidiPort::ResetControllers(const Configuration& config) {
  for (int i = 0; i < kControllerInputCount; ++i) {
    if (config.cc[i] != kNoController)
      SendShortMessage(kControlChange, config.midiChannel, config.cc[i], config.min[i]);
  }
  for (int id : DisplayId::kValue) display_.SetDisplayText(id, "---");
}

void MidiPort::StartNote(uint8_t channel, uint8_t note, uint8_t velocity) {
  // Remembered as sent: the channel is masked and the note clamped when packed.
  if (SendShortMessage(kNoteOn, channel, note, velocity)) sounding_.push_back({channel, note});
}

void MidiPort::StopSoundingNotes() {
  // The list is taken first: a failed note-off opens a box, and a note that
  // starts meanwhile belongs to the next stop, not to this one.
  std::vector<SoundingNote> stopping;
  stopping.swap(sounding_);
  for (const SoundingNote& n : stopping) SendShortMessage(kNoteOff, n.channel, n.note, 0);
  if (sounding_.empty()) {
    // Nothing started meanwhile: keep the storage for the next notes.
    stopping.clear();
    sounding_.swap(stopping);
  }
}

void MidiPort::Panic() {
  StopSoundingNotes();
  for (uint8_t channel = 0; channel < kChannelCount; ++channel) {
    SendShortMessage(kControlChange, channel, kAllNotesOff, 0);
    SendShortMessage(kControlChange, channel, kAllSoundOff, 0);
  }
}
