// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "midi/MidiSystemClient.h"

/// Quill's client on a JACK server, with one MIDI output port. The server's
/// process callback delivers the service's outbox into the port, each
/// message at the frame of its pen time plus the latency (at the cycle's
/// first free frame when it has no time), so a send never waits, whatever
/// the server does; each cycle is also a heartbeat, which tells a stalled
/// server.
class JackClient : public MidiSystemClient {
 public:
  explicit JackClient(std::string clientName, std::string portName = "out");
  ~JackClient() override;
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  bool Start(std::function<void()> destinationsChanged, std::shared_ptr<MidiOutbox> outbox) override;
  void Stop() override;
  std::vector<MidiDestination> Destinations() override;
  bool WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) override;
  Link Connect(const MidiDestination& destination) override;
  bool Disconnect(const MidiDestination& destination) override;
  bool IsConnected(const MidiDestination& destination) override;
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
