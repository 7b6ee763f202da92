// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "midi/MidiOutService.h"

/// How long RtMidiOutService waits for the MIDI system before giving up.
struct MidiWaitLimits {
  std::chrono::milliseconds commandDeadline{750};  ///< connecting, listing, opening, closing
  std::chrono::milliseconds stallLimit{250};       ///< JACK: no cycle for this long = stalled
};

/// MIDI output through RtMidi on the ALSA sequencer or a JACK server, client
/// name "Quill". No call blocks for more than a moment, whatever the MIDI
/// system does: opening, closing and listing run on a helper thread that the
/// caller waits for only until a deadline, and a JACK send is refused once the
/// server has stopped running its cycles. A port that stalled is given up and
/// every later send fails until a port is opened again.
class RtMidiOutService : public MidiOutService {
 public:
  /// Which RtMidi system the service uses.
  enum class Api {
    Alsa,  ///< the ALSA sequencer
    Jack,  ///< a JACK server (never started by Quill)
  };

  /// `clientName` names the client on the MIDI system. (JACK 2 names a
  /// client's socket after it without the server's name, so clients of the
  /// same name on different servers of one user disturb each other.)
  explicit RtMidiOutService(Api api, MidiWaitLimits limits = MidiWaitLimits{}, std::string clientName = "Quill");
  ~RtMidiOutService() override;
  RtMidiOutService(const RtMidiOutService&) = delete;
  RtMidiOutService& operator=(const RtMidiOutService&) = delete;

  /// True when the MIDI system answered: the ALSA sequencer opened, or a JACK
  /// server accepted the client.
  bool IsAvailable();

  unsigned GetNumDevs() override;
  std::string GetDeviceName(unsigned device) override;
  bool Open(unsigned device) override;
  bool Close() override;
  bool SendShortMsg(uint32_t packed) override;

 private:
  class Session;

  /// The current session, started when there is none or the last one stalled;
  /// null when the system does not answer.
  Session* Connected();
  /// Runs work on the session's thread; false when there is no session or the
  /// system did not answer in time (the session is then given up).
  bool Run(const std::function<void(Session&)>& work);
  /// Forgets the current session; its thread cleans up whenever it can.
  void Abandon();
  /// JACK: true when the server is running its cycles and RtMidi's buffer has
  /// room; a burst waits a little for room, a stalled server fails at once.
  bool JackCanWrite(size_t length);

  Api api_;
  MidiWaitLimits limits_;
  std::string clientName_;
  std::shared_ptr<Session> session_;
  bool portOpen_ = false;
  bool stalled_ = false;  ///< sends fail until a port is opened again
  // JACK cycle watch, kept by the sending thread.
  static constexpr uint64_t kCyclesToDeliver = 3;
  struct Written {
    uint64_t cycle = 0;  ///< the cycle counter when the bytes were written
    size_t bytes = 0;
  };
  uint64_t lastCycle_ = 0;
  std::chrono::steady_clock::time_point lastCycleSeen_;
  std::array<Written, kCyclesToDeliver> written_{};
  uint64_t drainCycle_ = 0;  ///< cycle by which everything written is delivered
};
