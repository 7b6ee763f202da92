// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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
  /// data 2); false when it was not sent, also when no device is open.
  virtual bool SendShortMsg(uint32_t packed) = 0;

  /// True when the open device is `device`'s destination and still works, so
  /// that opening it again would change nothing. Never waits.
  virtual bool IsConnectedTo(unsigned /*device*/) { return false; }
  /// Takes the system's current destinations as the device list. Never waits;
  /// when the system has more to tell, the change handler runs again.
  virtual void RefreshDevices() {}
  /// `handler` runs, on any thread, whenever the system's destinations differ
  /// from what it last reported; its owner then calls RefreshDevices on its
  /// own thread. An empty handler stops the reports.
  virtual void SetDevicesChangedHandler(std::function<void()> /*handler*/) {}
};
