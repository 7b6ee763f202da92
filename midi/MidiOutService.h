// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

/// How the open device's connection is doing, as far as the service knows.
enum class MidiLink {
  Closed,       ///< no device is open: sends fail
  Connecting,   ///< asked for: messages wait, in order, until it is made
  Connected,    ///< messages reach the destination
  Unconnected,  ///< the destination is absent or cannot be reached (or the system went away): messages go
                ///< nowhere, and the connection is made as soon as it can be
  Stalled,      ///< the system does not run: messages wait, while there is room, until it runs again
};

/// How many timed messages went out, how many of them later than their time
/// plus the latency, and how many stale note-ons were dropped.
struct MidiDeliveryCounts {
  uint64_t timed = 0;
  uint64_t late = 0;
  uint64_t droppedNotes = 0;
};

/// The system's MIDI output: the list of destinations, the one in use and
/// short messages. A device is an entry of the list as last taken with
/// RefreshDevices; "opening" it connects Quill's port to that destination.
/// OwnPortService talks to ALSA or JACK; tests use a recorder.
class MidiOutService {
 public:
  virtual ~MidiOutService() = default;
  /// Number of output devices; the port box lists devices 0..count-1.
  virtual unsigned GetNumDevs() = 0;
  /// Name of an output device, shown in the port box; empty past the end.
  virtual std::string GetDeviceName(unsigned device) = 0;
  /// The device's name without what changes from one run to the next (such
  /// as ALSA's client numbers): what a saved preset remembers it by.
  virtual std::string GetStableDeviceName(unsigned device) { return GetDeviceName(device); }
  /// Opens a device; false when it cannot be opened.
  virtual bool Open(unsigned device) = 0;
  /// Closes the open device; false when closing failed.
  virtual bool Close() = 0;
  /// Sends one packed short message (status in the low byte, then data 1 and
  /// data 2) at once; false when it was not taken, also when no device is open.
  virtual bool SendShortMsg(uint32_t packed) = 0;
  /// Sends it at `time` (nanoseconds on CLOCK_MONOTONIC, when the pen did
  /// what it stands for) plus the service's latency; 0 is at once. A service
  /// without a clock sends at once.
  virtual bool SendShortMsgAt(uint32_t packed, int64_t /*time*/) { return SendShortMsg(packed); }

  /// True when the open device is `device`'s destination, so that opening it
  /// again would change nothing. Never waits.
  virtual bool IsConnectedTo(unsigned /*device*/) { return false; }
  /// Takes the system's current destinations as the device list. Never waits;
  /// when the system has more to tell, the change handler runs again.
  virtual void RefreshDevices() {}
  /// `handler` runs, on any thread, whenever the system's destinations differ
  /// from what it last reported, or the open device's connection changed (see
  /// Link); its owner then calls RefreshDevices on its own thread. An empty
  /// handler stops the reports.
  virtual void SetDevicesChangedHandler(std::function<void()> /*handler*/) {}

  // Destinations by name. A service that follows names keeps the destination
  // a preset names wanted while it is absent, and connects it when it comes
  // (again); one that does not (quill-replay's devices never come and go)
  // opens by number.
  virtual bool FollowsNames() const { return false; }
  /// Opens the destination whose stable name is `stableName` or, for an
  /// empty name or a service that does not follow names, `device`.
  virtual bool OpenNamed(const std::string& /*stableName*/, unsigned device) { return Open(device); }
  /// True when opening that (as OpenNamed) would change nothing.
  virtual bool IsOpenOn(const std::string& /*stableName*/, unsigned device) { return IsConnectedTo(device); }
  /// How the open device's connection is doing; never waits. A service that
  /// cannot tell says Connected while a device is open.
  virtual MidiLink Link() { return MidiLink::Connected; }
  /// What has gone out by the time it was sent for.
  virtual MidiDeliveryCounts DeliveryCounts() const { return {}; }
};
