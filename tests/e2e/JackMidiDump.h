// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

/// jack_midi_dump as a receiver: the program runs with a MIDI input port
/// CLIENT:input on the current server and logs every message it is given,
/// which is read back here.
class JackMidiDump {
 public:
  /// Starts jack_midi_dump as CLIENT; Ready() tells whether its port is up.
  explicit JackMidiDump(const std::string& client);
  ~JackMidiDump();
  JackMidiDump(const JackMidiDump&) = delete;
  JackMidiDump& operator=(const JackMidiDump&) = delete;

  bool Ready() const { return ready_; }
  std::string PortName() const { return client_ + ":input"; }
  /// The messages logged so far, in arrival order.
  std::vector<std::vector<uint8_t>> Messages() const;
  /// Waits until at least `count` messages were logged or the time is up.
  std::vector<std::vector<uint8_t>> WaitFor(size_t count, std::chrono::milliseconds limit) const;

 private:
  std::string client_;
  std::string log_;
  pid_t pid_ = -1;
  bool ready_ = false;
};
