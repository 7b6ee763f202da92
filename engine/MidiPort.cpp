// SPDX-License-Identifier: MIT
#include "engine/MidiPort.h"

#include "midi/MidiOutService.h"

bool MidiPort::OpenMidiOut(uint8_t port, bool closeOnly) {
  if (midiOutIsOpen_) {
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

void MidiPort::SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2) {
  if (service_.SendShortMsg(PackShortMessage(status, channel, data1, data2))) return;
  // While one box is open (its modal loop keeps handling pen packets), further
  // failures stay silent instead of stacking a box per packet.
  if (errorBoxOpen_) return;
  errorBoxOpen_ = true;
  messages_.ShowMessage("MIDI error");
  errorBoxOpen_ = false;
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
