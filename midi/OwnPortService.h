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
#include "midi/MidiSystemClient.h"

/// How long OwnPortService waits for the MIDI system before giving up.
struct MidiWaitLimits {
  std::chrono::milliseconds commandDeadline{750};  ///< starting, connecting, stopping
  std::chrono::milliseconds stallLimit{250};       ///< nothing done for this long = stalled
  std::chrono::milliseconds runningWait{200};      ///< a connection waits this long for a stalled system
};

/// MIDI output through one port of Quill's own that lives as long as the
/// service. "Opening" a device connects the port to that destination and
/// takes the connection away again on "closing" (one that someone else made
/// stays); connections made elsewhere are never touched. Everything that may
/// wait for the system runs on a worker thread, and the caller waits for it
/// only up to a deadline: sends and list refreshes never wait, and a port
/// that is already connected to the chosen destination costs nothing.
///
/// A port that stalled (the system stopped doing anything) fails every send
/// until a device is opened again; a system that went away is joined again,
/// with a new client, when a device is next opened or the list refreshed.
class OwnPortService : public MidiOutService {
 public:
  using ClientFactory = std::function<std::unique_ptr<MidiSystemClient>()>;

  /// Starts a client from `factory` and waits, up to the command deadline, for
  /// its first list of destinations.
  explicit OwnPortService(ClientFactory factory, MidiWaitLimits limits = MidiWaitLimits{});
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
  bool SendShortMsg(uint32_t packed) override;
  bool IsConnectedTo(unsigned device) override;
  void RefreshDevices() override;
  void SetDevicesChangedHandler(std::function<void()> handler) override;

 private:
  /// Passes change reports on to the handler; shared with the clients, whose
  /// threads may report until they stop.
  struct ChangeRelay;
  /// What the worker's tasks use (the client, its connection, the list as
  /// last read), shared with them: a task that the worker let go, blocked in
  /// a system that never answers, keeps it after the service is gone, and
  /// frees it if the system ever answers.
  struct Shared;

  void PostListReading();

  std::shared_ptr<Shared> shared_;
  bool available_ = false;

  // The calling thread.
  std::vector<MidiDestination> shown_;  ///< the device list
  std::shared_ptr<MidiSystemClient> sender_;
  std::optional<std::string> openAddress_;  ///< the destination of the open device
  uint64_t openEpoch_ = 0;
  bool stalled_ = false;

  DeadlineWorker worker_;  ///< last: stopped before the members above go
};
