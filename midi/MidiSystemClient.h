// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// A place Quill's port can send to, as one MIDI system names it.
struct MidiDestination {
  std::string name;        ///< as the port box shows it
  std::string stableName;  ///< without what changes between runs; presets store it
  std::string address;     ///< how the system finds it (a JACK port name, an ALSA "client:port")

  bool operator==(const MidiDestination&) const = default;
};

/// Quill's client on one MIDI system, with its one output port for the whole
/// run. OwnPortService calls the "waiting" operations on its worker thread
/// only, where they may wait for the system; the others on the thread that
/// sends, where they never wait.
class MidiSystemClient {
 public:
  /// What connecting the port to a destination did.
  enum class Link {
    Made,          ///< Quill made the connection
    AlreadyThere,  ///< someone else had made it; it stays theirs
    Failed,        ///< the destination cannot be reached
  };

  virtual ~MidiSystemClient() = default;

  // Waiting operations.
  /// Joins the system and registers the port; false when the system is not
  /// there. `destinationsChanged` may run on any thread until Stop.
  virtual bool Start(std::function<void()> destinationsChanged) = 0;
  /// Leaves the system.
  virtual void Stop() = 0;
  /// The destinations in the system's order.
  virtual std::vector<MidiDestination> Destinations() = 0;
  /// True when the system is running, waiting up to `limit` for it to show it.
  virtual bool WaitUntilRunning(std::chrono::milliseconds limit) = 0;
  /// Waits, up to `limit`, until everything written has left the port.
  virtual void WaitUntilDelivered(std::chrono::milliseconds limit) = 0;
  virtual Link Connect(const MidiDestination& destination) = 0;
  virtual bool Disconnect(const MidiDestination& destination) = 0;

  // Operations that never wait.
  /// Queues one complete message for the port; false when it cannot be taken.
  virtual bool Write(const uint8_t* bytes, size_t length) = 0;
  /// True when the system has done nothing for `limit` (or is gone): what is
  /// written now would not be delivered.
  virtual bool Stalled(std::chrono::milliseconds limit) const = 0;
  /// True when the system went away: nothing of this client works again.
  virtual bool Gone() const = 0;
};
