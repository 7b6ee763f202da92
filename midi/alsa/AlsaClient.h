// SPDX-License-Identifier: MIT
#pragma once

#include <alsa/asoundlib.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "midi/MidiSystemClient.h"

/// Quill's client on the ALSA sequencer, with one output port that others
/// may also subscribe to. The sequencer lives in the kernel and never stalls:
/// connecting is immediate, and a send on the non-blocking handle fails
/// rather than waits when the kernel has no room. A thread of the client's
/// own delivers the outbox, woken for every message, and watches the
/// sequencer's announcements of ports coming and going. Messages go out at
/// once; with a latency asked for by hand, each is scheduled on a queue of
/// the client's own at its pen time plus that latency.
class AlsaClient : public MidiSystemClient {
 public:
  explicit AlsaClient(std::string clientName, std::string portName = "out");
  ~AlsaClient() override;
  AlsaClient(const AlsaClient&) = delete;
  AlsaClient& operator=(const AlsaClient&) = delete;

  /// True when this machine has the sequencer's device node.
  static bool SequencerPresent();

  bool Start(std::function<void()> destinationsChanged, std::shared_ptr<MidiOutbox> outbox) override;
  void Stop() override;
  std::vector<MidiDestination> Destinations() override;
  bool WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) override;
  Link Connect(const MidiDestination& destination) override;
  bool Disconnect(const MidiDestination& destination) override;
  bool IsConnected(const MidiDestination& destination) override;
  bool Gone() const override { return false; }

 private:
  void Watch();
  /// Hands what the outbox holds to the sequencer; false when it had no room.
  bool Deliver();
  /// The destination now at `address`, to check that it is still the one chosen.
  std::optional<MidiDestination> DestinationAt(int client, int port);

  std::string clientName_;
  std::string portName_;
  // One handle serves two threads, each with its own part of it: the worker
  // queries and subscribes (ioctls), the client's thread writes fixed-size
  // events directly and reads the input buffer.
  snd_seq_t* seq_ = nullptr;
  int port_ = -1;
  int queue_ = -1;  ///< the scheduling queue, with a latency asked for
  std::shared_ptr<MidiOutbox> outbox_;
  snd_midi_event_t* encoder_ = nullptr;  ///< the client thread's
  int64_t queueEpoch_ = 0;               ///< when the queue's time was 0, on CLOCK_MONOTONIC
  int64_t lastQueued_ = 0;               ///< the queue time of the latest event
  std::atomic<int64_t> lastDue_{0};      ///< when the latest event goes out, on CLOCK_MONOTONIC
  std::function<void()> changed_;
  int wakePipe_[2] = {-1, -1};
  int messagesWaiting_ = -1;  ///< the outbox's eventfd
  std::thread watcher_;
};
