// SPDX-License-Identifier: MIT
#pragma once

#include <RtMidi.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/JackServer.h"

/// A real MIDI receiver on the JACK server: a virtual input port that keeps
/// every message it is given, in order.
class JackReceiver {
 public:
  /// Registers CLIENT:in on the current server; Ready() tells if it worked.
  explicit JackReceiver(const std::string& client);
  /// Closes the port before the messages go: JACK may still be delivering.
  ~JackReceiver() { in_.reset(); }
  JackReceiver(const JackReceiver&) = delete;
  JackReceiver& operator=(const JackReceiver&) = delete;
  bool Ready() const { return in_ != nullptr; }
  /// Full port name as the output port list shows it.
  std::string PortName() const { return client_ + ":in"; }

  /// Waits until at least `count` messages arrived or the time is up.
  std::vector<std::vector<uint8_t>> WaitFor(size_t count, std::chrono::milliseconds limit);
  /// Waits until the last message that arrived is `message`.
  bool WaitForLast(const std::vector<uint8_t>& message, std::chrono::milliseconds limit);
  std::vector<std::vector<uint8_t>> Messages();

 private:
  static void OnMessage(double, std::vector<unsigned char>* message, void* arg);

  std::string client_;
  const bool pipeWire_ = JackServer::PipeWire();
  std::unique_ptr<RtMidiIn> in_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::vector<uint8_t>> messages_;
};
