// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

/// The system's MIDI output: the port list, one open port and short messages.
/// RtMidiOutService talks to ALSA or JACK; tests use a recorder.
class MidiOutService {
 public:
  virtual ~MidiOutService() = default;
  /// Number of output devices; the port box lists devices 0..count-1.
  virtual unsigned GetNumDevs() = 0;
  /// Name of an output device, shown in the port box.
  virtual std::string GetDeviceName(unsigned device) = 0;
  /// Opens a device; false when it cannot be opened.
  virtual bool Open(unsigned device) = 0;
  /// Closes the open device; false when closing failed.
  virtual bool Close() = 0;
  /// Sends one packed short message (status in the low byte, then data 1 and
  /// data 2); false when it was not sent, also when no device is open.
  virtual bool SendShortMsg(uint32_t packed) = 0;
};
