// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

/// A private JACK server for one test, with no audio hardware: jackd with the
/// dummy driver and a name of its own, or, with QUILL_TEST_JACK=pipewire in
/// the environment (and PipeWire's libjack on the library path, as pw-jack
/// sets it), a PipeWire daemon with a runtime folder of its own. Clients
/// started afterwards in this process, and child processes, reach it
/// through the environment it sets (JACK_DEFAULT_SERVER, XDG_RUNTIME_DIR).
class JackServer {
 public:
  /// Period of the server in frames at 48 kHz.
  static constexpr int kPeriod = 256;
  static constexpr int kSampleRate = 48000;

  /// True when the server program is installed.
  static bool Installed();
  /// True when the tests run on PipeWire's JACK.
  static bool PipeWire();

  /// A server whose period is `period` frames.
  explicit JackServer(int period = kPeriod);
  ~JackServer();
  JackServer(const JackServer&) = delete;
  JackServer& operator=(const JackServer&) = delete;

  /// Starts the server and waits until it takes clients; false if it never did.
  bool Start();
  /// SIGSTOP and SIGCONT: the server stalls as under a debugger or a hung driver.
  void Pause();
  void Resume();
  void Stop();
  /// SIGKILL: the server dies at once, as it does when it crashes.
  void Kill();

  /// A client name that no other test process uses: JACK 2 names a client's
  /// socket after the client alone, so equal names on two servers collide.
  static std::string UniqueClientName(const std::string& base);

  /// Waits until a port is (or is no longer) on the current server: other
  /// clients see a port only from a later cycle on.
  static bool WaitForPort(const std::string& port, bool present = true);

  /// Connects two ports as jack_connect or a patchbay would; false on failure.
  static bool ConnectPorts(const std::string& from, const std::string& to);
  /// Every port on the current server, "client:port".
  static std::vector<std::string> Ports();
  /// The ports connected to `port`, in the server's order.
  static std::vector<std::string> ConnectionsOf(const std::string& port);
  /// Asks the running server for another buffer size, as jack_bufsize does.
  static bool SetBufferSize(int frames);

 private:
  std::string name_;
  std::string runtimeFolder_;  ///< PipeWire's, made at the first start
  int period_;
  pid_t pid_ = -1;
  bool killed_ = false;  ///< killed and not started again since
};
