// SPDX-License-Identifier: MIT
#include "midi/RtMidiOutService.h"

#include <jack/jack.h>
#include <unistd.h>

#include <RtMidi.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "midi/ShortMessage.h"

namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// RtMidi's JACK output writes each message with a 4-byte length into a ring
// buffer of 16384 bytes that its client empties once per server cycle, and
// spins for as long as the buffer is full. What was written while the cycle
// counter read c is taken by the time it reads c + kCyclesToDeliver; keeping
// what may still wait below half the buffer keeps well clear of the spin.
constexpr size_t kJackWriteBudget = 8192;
constexpr size_t kJackLengthPrefix = sizeof(int);
// A burst over the budget waits this long at most for the server to catch up.
constexpr milliseconds kBurstWait{50};
// How long opening and closing wait for the server to run the cycles that
// connect a port or deliver what was written to it.
constexpr milliseconds kCycleWait{200};
constexpr const char* kAlsaSequencer = "/dev/snd/seq";
constexpr const char* kPortName = "out";

void Silent(const char*) {}

// Without a server libjack writes its connection attempts to standard error;
// Quill reports a missing system through its own messages instead.
void SilenceJack() {
  static std::once_flag once;
  std::call_once(once, [] {
    jack_set_error_function(Silent);
    jack_set_info_function(Silent);
  });
}

}  // namespace

/// One connection to the MIDI system, owned by its own thread: every RtMidi
/// call that may wait for the system runs there, so a caller can stop waiting
/// and leave the thread behind when the system stalls.
class RtMidiOutService::Session {
 public:
  using Work = std::function<void(Session&)>;

  Session(Api api, std::string clientName) : api_(api), clientName_(std::move(clientName)) {}

  /// Starts the thread, which connects to the system first.
  static std::shared_ptr<Session> Launch(Api api, const std::string& clientName) {
    auto session = std::make_shared<Session>(api, clientName);
    std::thread([session] { session->Run(); }).detach();
    return session;
  }

  /// Runs `work` on the session's thread, after everything queued before it;
  /// false when it did not finish within the deadline.
  bool Call(Work work, milliseconds deadline) {
    auto command = std::make_shared<Command>();
    command->work = std::move(work);
    std::unique_lock lock(mutex_);
    if (abandoned_) return false;
    queue_.push_back(command);
    wake_.notify_one();
    return done_.wait_for(lock, deadline, [&] { return command->finished; });
  }

  /// Nobody waits for this session any more: its thread closes the port and
  /// the connection as soon as the system lets it, then ends.
  void Abandon() {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    wake_.notify_one();
  }

  /// Abandons the session and waits, up to the deadline, for its thread to end.
  void Stop(milliseconds deadline) {
    Abandon();
    std::unique_lock lock(mutex_);
    done_.wait_for(lock, deadline, [&] { return ended_; });
  }

  /// The output; null when the system did not answer. Used by the session's
  /// thread, and by the owner's thread between calls (never both at once).
  RtMidiOut* Out() const { return out_.get(); }
  jack_client_t* Monitor() const { return monitor_; }
  /// JACK: the server shut down or threw our clients out; nothing of this
  /// session will work again.
  bool ServerGone() const { return serverGone_.load(); }
  /// JACK cycles run since the session connected.
  uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }

  void ClearError() { error_.store(false); }
  bool TakeError() { return error_.exchange(false); }

  /// JACK: waits until `target` is connected to our port and a full cycle
  /// has run since; false when that did not happen within kCycleWait.
  bool WaitForConnection(const std::string& target) const {
    const auto until = Clock::now() + kCycleWait;
    do {
      const uint64_t cycle = Cycles();
      if (ConnectedToUs(target)) {
        WaitForCycle(cycle + 2, kCycleWait);
        return true;
      }
      std::this_thread::sleep_for(milliseconds(1));
    } while (Clock::now() < until);
    return false;
  }

  /// Waits until the server has run `cycle` cycles, or up to `limit`.
  void WaitForCycle(uint64_t cycle, milliseconds limit) const {
    const auto until = Clock::now() + limit;
    while (Cycles() < cycle && Clock::now() < until) std::this_thread::sleep_for(milliseconds(1));
  }

 private:
  struct Command {
    Work work;
    bool finished = false;
  };

  // Our port is CLIENT:out, or CLIENT-NN:out when the server renamed the
  // client because another one had its name.
  bool ConnectedToUs(const std::string& target) const {
    jack_port_t* port = jack_port_by_name(monitor_, target.c_str());
    const char** links = port ? jack_port_get_all_connections(monitor_, port) : nullptr;
    if (!links) return false;
    bool ours = false;
    const std::string suffix = std::string(":") + kPortName;
    for (const char** link = links; *link && !ours; ++link) {
      const std::string_view name = *link;
      ours = name.starts_with(clientName_) && name.ends_with(suffix) && name.find(':') >= clientName_.size() &&
             name.find(':') + suffix.size() == name.size();
    }
    jack_free(links);
    return ours;
  }

  void Run() {
    Connect();
    for (;;) {
      std::shared_ptr<Command> command;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return abandoned_ || !queue_.empty(); });
        if (abandoned_) break;
        command = std::move(queue_.front());
        queue_.pop_front();
      }
      try {
        command->work(*this);
      } catch (const std::exception&) {
        // An RtMidi call that threw despite the error callback: the command
        // reports failure through its own result, left unset.
      }
      std::lock_guard lock(mutex_);
      command->finished = true;
      done_.notify_all();
    }
    Disconnect();
    std::lock_guard lock(mutex_);
    ended_ = true;
    done_.notify_all();
  }

  void Connect() {
    std::lock_guard clients(ClientLock());
    if (api_ == Api::Jack) {
      // A client of our own tells whether a server runs (RtMidi would only
      // print a warning) and counts its cycles, so that a stalled server is
      // noticed before RtMidi's send would spin on a full buffer.
      SilenceJack();
      jack_status_t status{};
      const std::string monitorName = clientName_ + " monitor";
      monitor_ = jack_client_open(monitorName.c_str(), JackNoStartServer, &status);
      if (!monitor_) return;
      jack_on_shutdown(monitor_, OnShutdown, this);
      if (jack_set_process_callback(monitor_, CountCycle, this) != 0 || jack_activate(monitor_) != 0) {
        jack_client_close(monitor_);
        monitor_ = nullptr;
        return;
      }
    }
    // Without the sequencer's device node there is no ALSA; asking RtMidi
    // anyway would only print libasound's complaint.
    if (api_ == Api::Alsa && ::access(kAlsaSequencer, F_OK) != 0) return;
    // A busy server may turn a new client away although it just took our
    // monitor; it usually takes it on a second try.
    for (int attempt = 0; attempt < 3 && !out_; ++attempt) {
      try {
        const auto api = api_ == Api::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
        auto out = std::make_unique<RtMidiOut>(api, clientName_);
        out->setErrorCallback(&Session::OnError, this);
        error_ = false;
        out->getPortCount();  // reports through the callback when the client has no connection
        if (!error_.exchange(false)) out_ = std::move(out);
      } catch (const std::exception&) {
        return;  // the ALSA sequencer did not open: no devices
      }
    }
  }

  void Disconnect() {
    std::lock_guard clients(ClientLock());
    if (serverGone_) {
      // libjack crashes closing a client whose server went away; the few
      // bytes of a dead client are kept to the end instead.
      static auto* deadClients = new std::vector<std::unique_ptr<RtMidiOut>>();
      deadClients->push_back(std::move(out_));
      monitor_ = nullptr;
      return;
    }
    try {
      if (out_ && out_->isPortOpen()) out_->closePort();
      out_.reset();
    } catch (const std::exception&) {
    }
    if (monitor_) jack_client_close(monitor_);
    monitor_ = nullptr;
  }

  // libjack keeps process-wide state for its clients that opening and closing
  // clients on several threads at once can corrupt; the sessions take turns.
  static std::mutex& ClientLock() {
    static std::mutex lock;
    return lock;
  }

  static int CountCycle(jack_nframes_t, void* arg) {
    static_cast<Session*>(arg)->cycles_.fetch_add(1, std::memory_order_release);
    return 0;
  }

  static void OnShutdown(void* arg) { static_cast<Session*>(arg)->serverGone_ = true; }

  static void OnError(RtMidiError::Type, const std::string&, void* arg) { static_cast<Session*>(arg)->error_ = true; }

  const Api api_;
  const std::string clientName_;
  std::unique_ptr<RtMidiOut> out_;
  jack_client_t* monitor_ = nullptr;
  std::atomic<uint64_t> cycles_{0};
  std::atomic<bool> error_{false};
  std::atomic<bool> serverGone_{false};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<std::shared_ptr<Command>> queue_;
  bool abandoned_ = false;
  bool ended_ = false;
};

RtMidiOutService::RtMidiOutService(Api api, MidiWaitLimits limits, std::string clientName)
    : api_(api), limits_(limits), clientName_(std::move(clientName)) {}

RtMidiOutService::~RtMidiOutService() {
  Close();
  if (session_) session_->Stop(limits_.commandDeadline);
}

RtMidiOutService::Session* RtMidiOutService::Connected() {
  if (session_ && (stalled_ || session_->ServerGone())) Abandon();
  if (session_) return session_.get();
  try {
    session_ = Session::Launch(api_, clientName_);
  } catch (const std::exception&) {
    return nullptr;  // no thread could be started
  }
  if (!session_->Call([](Session&) {}, limits_.commandDeadline)) {
    Abandon();
    return nullptr;
  }
  if (!session_->Out()) {
    // The system is not there; the next call tries again.
    session_->Stop(limits_.commandDeadline);
    session_.reset();
    return nullptr;
  }
  return session_.get();
}

void RtMidiOutService::Abandon() {
  if (session_) session_->Abandon();
  session_.reset();
  portOpen_ = false;
  stalled_ = false;
}

bool RtMidiOutService::Run(const std::function<void(Session&)>& work) {
  Session* session = Connected();
  if (!session) return false;
  if (session->Call(work, limits_.commandDeadline)) return true;
  Abandon();  // the system stalled; its thread finishes whenever it can
  return false;
}

bool RtMidiOutService::IsAvailable() { return Connected() != nullptr; }

unsigned RtMidiOutService::GetNumDevs() {
  auto count = std::make_shared<unsigned>(0);
  if (!Run([count](Session& s) { *count = s.Out()->getPortCount(); })) return 0;
  return *count;
}

std::string RtMidiOutService::GetDeviceName(unsigned device) {
  auto name = std::make_shared<std::string>();
  Run([name, device](Session& s) {
    if (device < s.Out()->getPortCount()) *name = s.Out()->getPortName(device);
  });
  return *name;
}

bool RtMidiOutService::Open(unsigned device) {
  Close();
  auto opened = std::make_shared<bool>(false);
  const bool jack = api_ == Api::Jack;
  const bool finished = Run([opened, device, jack](Session& s) {
    RtMidiOut& out = *s.Out();
    if (device >= out.getPortCount()) return;
    const std::string target = out.getPortName(device);
    s.ClearError();
    out.openPort(device, kPortName);
    bool ok = !s.TakeError() && out.isPortOpen();
    if (ok && jack) {
      // RtMidi does not check the connection: the target may have gone since
      // the list was read. The server puts a new connection in place at the
      // start of a cycle; the first message must not go out before that.
      ok = s.WaitForConnection(target);
    }
    if (!ok && out.isPortOpen()) out.closePort();
    *opened = ok;
  });
  if (!finished || !*opened) return false;
  portOpen_ = true;
  lastCycle_ = session_->Cycles();
  lastCycleSeen_ = Clock::now();
  written_ = {};
  drainCycle_ = 0;
  return true;
}

bool RtMidiOutService::Close() {
  if (!portOpen_) return true;
  portOpen_ = false;
  if (stalled_) {
    // The port is given up as it is; its thread closes it when it can.
    Abandon();
    return true;
  }
  const uint64_t drainCycle = drainCycle_;
  // Whether or not the system answers in time, the port is no longer ours.
  Run([drainCycle](Session& s) {
    // What was written must reach the server before the port goes, or a
    // last note off could be lost and the note would hang.
    if (drainCycle) s.WaitForCycle(drainCycle, kCycleWait);
    if (s.Out()->isPortOpen()) s.Out()->closePort();
    s.ClearError();
  });
  return true;
}

bool RtMidiOutService::SendShortMsg(uint32_t packed) {
  if (!portOpen_ || stalled_ || !session_) return false;
  std::array<uint8_t, 3> bytes{};
  const size_t length = ShortMessageBytes(packed, bytes);
  if (length == 0) return false;
  if (api_ == Api::Jack && !JackCanWrite(length)) return false;
  Session& session = *session_;
  session.ClearError();
  try {
    session.Out()->sendMessage(bytes.data(), length);
  } catch (const std::exception&) {
    return false;
  }
  return !session.TakeError();
}

bool RtMidiOutService::JackCanWrite(size_t length) {
  const size_t cost = length + kJackLengthPrefix;
  const auto waitUntil = Clock::now() + kBurstWait;
  for (;;) {
    const auto now = Clock::now();
    const uint64_t cycle = session_->Cycles();
    if (session_->ServerGone()) {
      stalled_ = true;
      return false;
    }
    if (cycle != lastCycle_) {
      lastCycle_ = cycle;
      lastCycleSeen_ = now;
    } else if (now - lastCycleSeen_ > limits_.stallLimit) {
      // The server runs no cycles (stopped, hung or gone): nothing written now
      // would be delivered, and RtMidi would spin once its buffer filled.
      stalled_ = true;
      return false;
    }
    size_t waiting = 0;
    for (const Written& w : written_) {
      if (w.cycle + kCyclesToDeliver > cycle) waiting += w.bytes;
    }
    if (waiting + cost <= kJackWriteBudget) {
      Written& slot = written_[cycle % kCyclesToDeliver];
      if (slot.cycle != cycle) slot = Written{cycle, 0};
      slot.bytes += cost;
      drainCycle_ = cycle + kCyclesToDeliver;
      return true;
    }
    // A burst, such as packets that queued up while the window was busy: the
    // server takes what waits within a cycle or two.
    if (now >= waitUntil) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}
