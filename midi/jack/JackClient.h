// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "midi/MidiSystemClient.h"

/// Quill's client on a JACK server, with one MIDI output port. Messages go
/// through a lock-free ring that the server's process callback empties into
/// the port at every cycle, so a send never waits, whatever the server does;
/// the process callback also counts cycles, which tells a stalled server.
class JackClient : public MidiSystemClient {
 public:
  explicit JackClient(std::string clientName, std::string portName = "out");
  ~JackClient() override;
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  bool Start(std::function<void()> destinationsChanged) override;
  void Stop() override;
  std::vector<MidiDestination> Destinations() override;
  bool WaitUntilRunning(std::chrono::milliseconds limit) override;
  void WaitUntilDelivered(std::chrono::milliseconds limit) override;
  Link Connect(const MidiDestination& destination) override;
  bool Disconnect(const MidiDestination& destination) override;
  bool Write(const uint8_t* bytes, size_t length) override;
  bool Stalled(std::chrono::milliseconds limit) const override;
  bool Gone() const override;

 private:
  /// The part that libjack's threads use.
  struct Shared;

  std::string clientName_;
  std::string portName_;
  Shared* const shared_;
  bool started_ = false;
  bool stopped_ = false;
};
