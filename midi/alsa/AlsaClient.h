// SPDX-License-Identifier: MIT
#pragma once

#include <alsa/asoundlib.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "midi/MidiSystemClient.h"

/// Quill's client on the ALSA sequencer, with one output port that others
/// may also subscribe to. The sequencer lives in the kernel and never stalls:
/// connecting and sending are immediate, and a send on the non-blocking
/// handle fails rather than waits when the kernel has no room. A thread of
/// the client's own waits for the sequencer's announcements of ports coming
/// and going.
class AlsaClient : public MidiSystemClient {
 public:
  explicit AlsaClient(std::string clientName, std::string portName = "out");
  ~AlsaClient() override;
  AlsaClient(const AlsaClient&) = delete;
  AlsaClient& operator=(const AlsaClient&) = delete;

  /// True when this machine has the sequencer's device node.
  static bool SequencerPresent();

  bool Start(std::function<void()> destinationsChanged) override;
  void Stop() override;
  std::vector<MidiDestination> Destinations() override;
  bool WaitUntilRunning(std::chrono::milliseconds) override { return running_.load(); }
  void WaitUntilDelivered(std::chrono::milliseconds) override {}
  Link Connect(const MidiDestination& destination) override;
  bool Disconnect(const MidiDestination& destination) override;
  bool Write(const uint8_t* bytes, size_t length) override;
  bool Stalled(std::chrono::milliseconds) const override { return !running_.load(); }
  bool Gone() const override { return false; }

 private:
  void WatchAnnouncements();
  /// The destination now at `address`, to check that it is still the one chosen.
  std::optional<MidiDestination> DestinationAt(int client, int port);

  std::string clientName_;
  std::string portName_;
  // One handle serves three threads, each with its own part of it: the worker
  // queries and subscribes (ioctls), the sending thread writes fixed-size
  // events directly, the watcher reads the input buffer.
  snd_seq_t* seq_ = nullptr;
  std::atomic<bool> running_{false};  ///< between Start and Stop
  int port_ = -1;
  snd_midi_event_t* encoder_ = nullptr;  ///< the sending thread's
  std::function<void()> changed_;
  int wakePipe_[2] = {-1, -1};
  std::thread watcher_;
};
