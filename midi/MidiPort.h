// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "engine/Configuration.h"
#include "engine/EngineViews.h"

class MidiOutService;

/// Status bytes of the messages Quill sends (channel added when packed).
inline constexpr uint8_t kNoteOff = 0x80;
inline constexpr uint8_t kNoteOn = 0x90;
inline constexpr uint8_t kControlChange = 0xB0;
inline constexpr uint8_t kProgramChange = 0xC0;
inline constexpr uint8_t kPanController = 10;

/// Packs a short message: status plus channel in the low byte, then the two
/// data bytes. The channel keeps its low 4 bits and each data byte is clamped
/// to 127, because a byte of 0x80 or more would read as a status byte.
uint32_t PackShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);

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
  MidiOutService& Service() { return service_; }

 private:
  MidiOutService& service_;
  MessageSink& messages_;
  EngineDisplay& display_;
  bool midiOutIsOpen_ = false;
  bool errorBoxOpen_ = false;
};
