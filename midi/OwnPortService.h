// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/DeadlineWorker.h"
#include "midi/MidiOutService.h"
#include "midi/MidiOutbox.h"
#include "midi/MidiSystemClient.h"

/// How long OwnPortService waits for the MIDI system.
struct MidiWaitLimits {
  std::chrono::milliseconds commandDeadline{750};  ///< the first list at the start; what was sent, at the end
  std::chrono::milliseconds stallLimit{250};       ///< a system that does nothing for this long is stalled
  std::chrono::milliseconds rejoinInterval{1000};  ///< how often a system that went away is looked for
};

/// MIDI output through one port of Quill's own that lives as long as the
/// service. "Opening" a device connects the port to that destination and
/// takes the connection away again on "closing" (one that someone else made
/// stays); connections made elsewhere are never touched.
///
/// Nothing the caller does waits for the system. Sends go into an outbox that
/// the system's client delivers from, each at its pen time plus the latency.
/// Opening and closing only ask the worker thread, which does what may wait:
/// the old destination gets what was sent before the change, then the
/// connection changes, then what was sent after it goes on (a gate in the
/// outbox holds it meanwhile). A failure is told when it is known (Link and
/// the change handler).
///
/// The destination chosen is wanted by name for as long as it is open: one
/// that is absent is connected when it appears, one that goes and comes back
/// is connected again, and a system that stalls, or goes away and comes back,
/// is waited for, joined again and everything reconnected by name; meanwhile
/// messages wait in the outbox while it has room.
class OwnPortService : public MidiOutService {
 public:
  using ClientFactory = std::function<std::unique_ptr<MidiSystemClient>()>;

  /// Room for 16384 messages: several seconds of the densest playing, so a
  /// stall of a few seconds, or a burst of packets that queued up while the
  /// window was busy, is delivered late rather than refused.
  static constexpr size_t kOutboxCapacity = 16384;

  /// Starts a client from `factory` and waits, up to the command deadline, for
  /// its first list of destinations.
  explicit OwnPortService(ClientFactory factory, MidiWaitLimits limits = MidiWaitLimits{},
                          MidiOutTiming timing = MidiOutTiming{});
  /// Lets what was sent go out, then leaves the system, waiting for that no
  /// longer than twice the command deadline; a system that does not answer
  /// by then is left to the worker thread, let go.
  ~OwnPortService() override;
  OwnPortService(const OwnPortService&) = delete;
  OwnPortService& operator=(const OwnPortService&) = delete;

  /// True when the system answered at start.
  bool IsAvailable() const { return available_; }

  unsigned GetNumDevs() override;
  std::string GetDeviceName(unsigned device) override;
  std::string GetStableDeviceName(unsigned device) override;
  bool Open(unsigned device) override;
  bool Close() override;
  bool SendShortMsg(uint32_t packed) override { return SendShortMsgAt(packed, 0); }
  bool SendShortMsgAt(uint32_t packed, int64_t time) override;
  bool IsConnectedTo(unsigned device) override;
  void RefreshDevices() override;
  void SetDevicesChangedHandler(std::function<void()> handler) override;
  bool FollowsNames() const override { return true; }
  bool OpenNamed(const std::string& stableName, unsigned device) override;
  bool IsOpenOn(const std::string& stableName, unsigned device) override;
  MidiLink Link() override;
  MidiDeliveryCounts DeliveryCounts() const override;

 private:
  /// The destination asked for: its stable name, and the entry chosen when
  /// the list had it (of two entries with one name, that one).
  struct Target {
    std::string stableName;
    std::optional<MidiDestination> chosen;
  };
  /// Passes reports on to the handler; shared with the clients, whose
  /// threads may report until they stop.
  struct ChangeRelay;
  /// What the worker's tasks use (the client, its connection, the list as
  /// last read), shared with them: a task that the worker let go, blocked in
  /// a system that never answers, keeps it after the service is gone, and
  /// frees it if the system ever answers.
  struct Shared;

  bool OpenTarget(Target target);
  void PostListReading();

  std::shared_ptr<Shared> shared_;
  bool available_ = false;

  // The calling thread.
  std::vector<MidiDestination> shown_;  ///< the device list
  std::optional<Target> open_;          ///< what the open device stands for
  uint64_t request_ = 0;                ///< counts opens and closes, to match the worker's answers

  DeadlineWorker worker_;  ///< last: stopped before the members above go
};
