// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "midi/ShortMessage.h"
#include "model/Configuration.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"

class MidiOutService;

/// Which rows a controller reset returns to rest.
enum class ControllerReset {
  All,             ///< every assigned row: the lift, Paste, Reset
  KeepExpression,  ///< all but pitch bend and channel pressure: a band change, so a bend or a swell carries on
};

/// The one MIDI output port in use and the messages sent through it. Failures
/// are reported through the message boxes with fixed texts. The port also
/// remembers the notes it started, so that every one of them is stopped on its
/// own channel, whatever the settings say by then, and none outlives the port;
/// nor does a pitch bend or channel pressure it left away from rest.
class MidiPort {
 public:
  MidiPort(MidiOutService& service, MessageSink& messages, EngineDisplay& display)
      : service_(service), messages_(messages), display_(display) {}

  /// Stops what sounds, returns expression to rest and closes the open port,
  /// then (unless closeOnly) opens `port`; true when the requested state was
  /// reached.
  bool OpenMidiOut(uint8_t port, bool closeOnly);
  /// The port of a preset being shown (a slot change, Paste, Reset, Load): a
  /// port already open on that destination, and working, stays as it is (what
  /// sounds still stops and a bend or pressure returns to rest, as at every
  /// change of preset), so that switching between presets on one destination
  /// changes no connection and waits for nothing; anything else is OpenMidiOut.
  bool UseMidiOut(uint8_t port);
  /// True when the port accepted the message; a failure shows "MIDI error".
  bool SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);
  /// The programme change of a configuration; nothing for kNoPatch. With a
  /// channel for each note, on every channel: 1, then the members 2 to 16.
  void SendProgramChange(const Configuration& config);
  /// A row's mapped value as the message its controller box names: a control
  /// change, a pitch bend with `out` as its upper seven bits, or channel pressure.
  void SendControllerValue(uint8_t channel, uint8_t controller, uint8_t out);
  /// The assigned rows back to rest, in row order, on the preset's control
  /// channel (ControlChannel): a control change to its minimum, pitch bend to
  /// the centre, channel pressure to 0. The value displays of the rows reset
  /// show "---"; a row left alone keeps its value.
  void ResetControllers(const Configuration& config, ControllerReset which = ControllerReset::All);
  /// A 14-bit pitch bend, lower seven bits first.
  void SendBend(uint8_t channel, uint16_t bend);

  // Notes. A note-on the port accepted is remembered until it is stopped; one
  // that failed needs no note-off.
  void StartNote(uint8_t channel, uint8_t note, uint8_t velocity);
  /// Note-offs for the sounding notes, in the order they started, each on its
  /// own channel; then they are forgotten.
  void StopSoundingNotes();
  /// The same for the sounding notes on one channel only.
  void StopNotesOn(uint8_t channel);
  /// The sounding notes stopped, then All Notes Off and All Sound Off on each
  /// of the sixteen channels.
  void Panic();
  /// Centres every channel's pitch bend and zeroes its channel pressure where
  /// this port left them otherwise; then they count as at rest.
  void ReturnExpressionToRest();

  // The ports, as the port box lists them; entry i is port i.
  /// Takes the system's current list (never waits).
  void RefreshPorts();
  /// Entries of the port box: the list as last taken.
  int PortCount() const;
  /// The name a preset remembers entry `port` by; empty when there is none.
  /// A name the system gives with a line end in it is taken without it, so a
  /// file holds it on one line and finds it again.
  std::string PortName(uint8_t port) const;
  /// The entry with that name, when one has it.
  std::optional<uint8_t> FindPort(const std::string& name) const;

  /// A note the port started and has not stopped.
  struct SoundingNote {
    uint8_t channel;
    uint8_t note;
  };

  bool IsOpen() const { return midiOutIsOpen_; }
  size_t SoundingNoteCount() const { return sounding_.size(); }
  /// Messages the service accepted so far.
  uint64_t MessagesSent() const { return messagesSent_; }
  /// The sounding notes, in the order they started.
  const std::vector<SoundingNote>& SoundingNotes() const { return sounding_; }
  /// Whether this connection's destination was last told to give each note a
  /// channel of its own; a new connection starts without.
  bool MpeZone() const { return mpeZone_; }
  void SetMpeZone(bool on) { mpeZone_ = on; }

 private:
  MidiOutService& service_;
  MessageSink& messages_;
  EngineDisplay& display_;
  bool midiOutIsOpen_ = false;
  bool errorBoxOpen_ = false;
  uint64_t messagesSent_ = 0;
  std::vector<SoundingNote> sounding_;
  // Per channel, expression that the port accepted away from rest.
  std::array<bool, kChannelCount> bent_{};
  std::array<bool, kChannelCount> pressed_{};
  bool mpeZone_ = false;
};
