// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiOutService.h"
#include "midi/ShortMessage.h"
#include "model/Configuration.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"

/// Which rows a controller reset returns to rest.
enum class ControllerReset {
  All,             ///< every assigned row: the lift, Paste, Reset
  KeepExpression,  ///< all but pitch bend and channel pressure: a band change, so a bend or a swell carries on
};

/// The one MIDI output port in use and the messages sent through it. Failures
/// are reported as trouble with fixed texts (a line in the window, a printed
/// box in quill-replay). The port also remembers the notes it started, so
/// that every one of them is stopped on its own channel, whatever the
/// settings say by then, and none outlives the port; nor does a pitch bend or
/// channel pressure it left away from rest. A note-off (or a message of
/// Panic) that the service could not take is kept and sent before anything
/// else as soon as it takes messages again.
class MidiPort {
 public:
  MidiPort(MidiOutService& service, MessageSink& messages, EngineDisplay& display)
      : service_(service), messages_(messages), display_(display) {}

  /// Stops what sounds, returns expression to rest and closes the open port,
  /// then (unless closeOnly) opens the port named `name` (entry `port` when
  /// the name is empty or the service does not follow names); true when the
  /// requested state was reached. A connection that fails later is reported
  /// when the answer comes (FollowLink).
  bool OpenMidiOut(uint8_t port, const std::string& name, bool closeOnly);
  /// The port of a preset being shown (a slot change, Paste, Reset, Load): a
  /// port already open on that destination stays as it is (what sounds still
  /// stops and a bend or pressure returns to rest, as at every change of
  /// preset), so that switching between presets on one destination changes
  /// no connection; anything else is OpenMidiOut.
  bool UseMidiOut(uint8_t port, const std::string& name);
  /// True when the port accepted the message; a failure is reported as
  /// "MIDI error".
  bool SendShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);
  /// The programme change of a configuration; nothing for kNoPatch. With a
  /// channel for each note, on every channel: 1, then the members 2 to 16.
  /// The port sends it again to a destination that comes back (or appears)
  /// later.
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

  /// The pen event the messages sent from now on stand for: they go out at
  /// its time plus the service's latency. 0 (no pen event): at once.
  void SetEventTime(int64_t time) { eventTime_ = time; }

  // Notes. A note-on the port accepted is remembered until its note-off has
  // gone out; one that failed needs no note-off.
  void StartNote(uint8_t channel, uint8_t note, uint8_t velocity);
  /// Note-offs for the sounding notes, in the order they started, each on its
  /// own channel; then they are forgotten (one the service refused is kept,
  /// and its note-off sent when it can).
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
  /// Takes the system's current list (never waits) and what it learnt of the
  /// open port's connection (FollowLink).
  void RefreshPorts();
  /// Entries of the port box: the list as last taken.
  int PortCount() const;
  /// The name a preset remembers entry `port` by; empty when there is none.
  /// A name the system gives with a line end in it is taken without it, so a
  /// file holds it on one line and finds it again.
  std::string PortName(uint8_t port) const;
  /// The entry with that name, when one has it.
  std::optional<uint8_t> FindPort(const std::string& name) const;
  /// True when a preset naming `name` waits for it: the service follows
  /// names and none of its entries has that one now.
  bool PortAbsent(const std::string& name) const;

  /// Takes in how the open port's connection is doing: a connection that
  /// failed, was lost or stalled is trouble; one made is the end of it, and a
  /// destination that comes (back) gets the programme change sent last.
  void FollowLink();
  /// Runs instead of the programme change when a destination comes (back):
  /// the engine tells it everything a preset shown tells a destination.
  void SetDestinationArrivedHandler(std::function<void()> handler) { destinationArrived_ = std::move(handler); }

  /// A note the port started and has not stopped.
  struct SoundingNote {
    uint8_t channel;
    uint8_t note;
  };

  bool IsOpen() const { return midiOutIsOpen_; }
  /// Notes started and not yet stopped, or whose note-off is still owed.
  size_t SoundingNoteCount() const;
  /// Messages the service accepted since the start.
  uint64_t MessagesSent() const { return messagesSent_; }
  /// The sounding notes, in the order they started.
  const std::vector<SoundingNote>& SoundingNotes() const { return sounding_; }
  /// Whether this connection's destination was last told to give each note a
  /// channel of its own; a new connection starts without.
  bool MpeZone() const { return mpeZone_; }
  void SetMpeZone(bool on) { mpeZone_ = on; }

 private:
  /// Hands one message to the service at the time set; true when it took it.
  bool Send(uint32_t packed);
  /// Sends what is owed first; false when some of it is still owed.
  bool SendOwed();
  /// A note-off or a message of Panic: sent, or owed when refused.
  void SendOrOwe(uint32_t packed);
  void Trouble(std::string_view text);

  MidiOutService& service_;
  MessageSink& messages_;
  EngineDisplay& display_;
  bool midiOutIsOpen_ = false;
  bool errorBoxOpen_ = false;
  bool troubled_ = false;  ///< trouble was reported and has not ended yet
  MidiLink link_ = MidiLink::Closed;
  int64_t eventTime_ = 0;
  uint64_t messagesSent_ = 0;
  std::vector<SoundingNote> sounding_;
  std::vector<uint32_t> owed_;  ///< refused note-offs and Panic messages, in order
  /// The configuration whose programme change went to this port last.
  std::optional<Configuration> patch_;
  // Per channel, expression that the port accepted away from rest.
  std::array<bool, kChannelCount> bent_{};
  std::array<bool, kChannelCount> pressed_{};
  bool mpeZone_ = false;
  std::function<void()> destinationArrived_;
};
