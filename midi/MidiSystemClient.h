// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiOutbox.h"

/// A place Quill's port can send to, as one MIDI system names it.
struct MidiDestination {
  std::string name;        ///< as the port box shows it
  std::string stableName;  ///< without what changes between runs; presets store it
  std::string address;     ///< how the system finds it (a JACK port name, an ALSA "client:port")

  bool operator==(const MidiDestination&) const = default;
};

/// Quill's client on one MIDI system, with its one output port. Messages do
/// not pass through it: the service pushes them into its MidiOutbox, and the
/// client delivers them from there on a thread of its own (JACK's process
/// callback). OwnPortService calls the other operations on its worker thread
/// only, where they may wait for the system.
class MidiSystemClient {
 public:
  /// What connecting the port to a destination did.
  enum class Link {
    Made,          ///< Quill made the connection
    AlreadyThere,  ///< someone else had made it; it stays theirs
    Failed,        ///< the destination cannot be reached
  };

  virtual ~MidiSystemClient() = default;

  /// Joins the system, registers the port and starts delivering what
  /// `outbox` holds; false when the system is not there.
  /// `destinationsChanged` may run on any thread until Stop.
  virtual bool Start(std::function<void()> destinationsChanged, std::shared_ptr<MidiOutbox> outbox) = 0;
  /// Leaves the system.
  virtual void Stop() = 0;
  /// The destinations in the system's order.
  virtual std::vector<MidiDestination> Destinations() = 0;
  /// Waits, up to `limit`, until what was pushed into the outbox before
  /// `position` has reached the destinations connected now; false when it
  /// has not by then (a stalled or vanished system).
  virtual bool WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) = 0;
  virtual Link Connect(const MidiDestination& destination) = 0;
  virtual bool Disconnect(const MidiDestination& destination) = 0;
  /// True while the port is connected to `destination`: a destination that
  /// left and came back under the same name has lost its connections.
  virtual bool IsConnected(const MidiDestination& destination) = 0;
  /// True when the system went away: nothing of this client works again.
  /// Any thread may ask.
  virtual bool Gone() const = 0;
};
