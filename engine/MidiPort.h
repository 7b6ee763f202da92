// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "midi/ShortMessage.h"
#include "model/Configuration.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"

class MidiOutService;

/// The one MIDI output port in use and the messages sent through it. Failures
/// are reported through the message boxes with fixed texts.
class MidiPort {
 public:
  MidiPort(MidiOutService& service, MessageSink& messages, EngineDisplay& display)
      : service_(service), messages_(messages), display_(display) {}

  /// Closes the open port, then (unless closeOnly) opens `port`; true when the
  /// requested state was reached.
  bool OpenMidiOut(uint8_t port, bool closeOnly);
  void SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);
  /// The programme change of a configuration; nothing for kNoPatch.
  void SendProgramChange(const Configuration& config);
  /// Every assigned controller back to its minimum; the value displays show "---".
  void ResetControllers(const Configuration& config);

  bool IsOpen() const { return midiOutIsOpen_; }

 private:
  MidiOutService& service_;
  MessageSink& messages_;
  EngineDisplay& display_;
  bool midiOutIsOpen_ = false;
  bool errorBoxOpen_ = false;
};
