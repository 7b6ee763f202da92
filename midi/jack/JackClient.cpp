// SPDX-License-Identifier: MIT
#include "midi/jack/JackClient.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "midi/JackSupport.h"

namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A new connection is in place in the server's graph from the cycle after
// the one that was running when it was made; the messages that follow it wait
// until then instead of going nowhere.
constexpr uint64_t kCyclesUntilConnected = 2;
constexpr milliseconds kConnectionWait{200};
// A server that ran no cycle for this long (or four periods, if longer) has
// stalled. What is written in the first cycles after it runs again can be
// lost on the way to the destinations (PipeWire loses it every time, for up
// to some tens of milliseconds after a stall of seconds), so delivery waits
// a moment (or four periods, if longer) once it runs again.
constexpr int64_t kStallGap = 50'000'000;
// More events in one cycle than this, and PipeWire loses the whole cycle's
// output (from about a thousand); far more than any playing needs, and more
// than jackd's buffer takes at the usual periods.
constexpr int kMostEventsPerCycle = 256;
constexpr int64_t kWaitAfterStall = 100'000'000;
// A busy server may turn a new client away; it usually takes it on another try.
constexpr int kOpenAttempts = 3;

// The monotonic clock, which pen events are timed on (steady_clock is
// CLOCK_MONOTONIC on Linux).
int64_t Now() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

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

struct JackClient::Shared {
  jack_client_t* client = nullptr;
  jack_port_t* port = nullptr;
  std::shared_ptr<MidiOutbox> outbox;  ///< set before activation, then only read
  std::function<void()> changed;       ///< set before activation, then only read
  std::atomic<uint32_t> rate{48000};
  std::atomic<uint64_t> cycles{0};
  std::atomic<uint64_t> resumeCycle{0};  ///< delivery waits until this cycle
  int64_t lastCycleStart = 0;            ///< the process thread's
  int64_t resumeAt = 0;                  ///< the process thread's: no delivery before
  std::atomic<bool> gone{false};
  std::atomic<bool> stopped{false};

  // The cycle on the monotonic clock. The server's own times are on its
  // clock (the monotonic one on Linux, but nothing needs to rely on it):
  // they are moved over by the difference of the two clocks read now.
  MidiCycle Cycle(jack_nframes_t frames, int64_t now) const {
    MidiCycle cycle;
    cycle.frames = frames;
    const uint32_t sampleRate = rate.load(std::memory_order_relaxed);
    cycle.latency = outbox->LatencyFor(frames, sampleRate);
    jack_nframes_t firstFrame = 0;
    jack_time_t start = 0, next = 0;
    float period = 0;
    if (jack_get_cycle_times(client, &firstFrame, &start, &next, &period) == 0 && next > start) {
      const int64_t clockDifference = now - static_cast<int64_t>(jack_get_time()) * 1000;
      cycle.start = static_cast<int64_t>(start) * 1000 + clockDifference;
      cycle.end = static_cast<int64_t>(next) * 1000 + clockDifference;
    } else {
      cycle.start = now;
      cycle.end = now + (sampleRate > 0 ? int64_t{frames} * 1'000'000'000 / sampleRate : 1);
    }
    return cycle;
  }

  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<Shared*>(arg);
    void* buffer = jack_port_get_buffer(self->port, frames);
    jack_midi_clear_buffer(buffer);
    const uint64_t cycle = self->cycles.load(std::memory_order_relaxed) + 1;
    const int64_t now = Now();
    const uint32_t sampleRate = self->rate.load(std::memory_order_relaxed);
    const int64_t period = sampleRate > 0 ? int64_t{frames} * 1'000'000'000 / sampleRate : 0;
    if (self->lastCycleStart != 0 && now - self->lastCycleStart > std::max(kStallGap, 4 * period)) {
      self->resumeAt = now + std::max(kWaitAfterStall, 4 * period);
    }
    self->lastCycleStart = now;
    if (now >= self->resumeAt && cycle >= self->resumeCycle.load(std::memory_order_acquire)) {
      // Whatever does not fit in this cycle's buffer waits for the next.
      int events = 0;
      self->outbox->FillCycle(self->Cycle(frames, now), [&](uint32_t frame, const uint8_t* bytes, size_t length) {
        if (++events > kMostEventsPerCycle) return false;
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, frame, length);
        if (!data) return false;
        std::memcpy(data, bytes, length);
        return true;
      });
    }
    self->outbox->Beat(now);
    self->cycles.store(cycle, std::memory_order_release);
    return 0;
  }

  static int SampleRateChanged(jack_nframes_t rate, void* arg) {
    static_cast<Shared*>(arg)->rate.store(rate, std::memory_order_relaxed);
    return 0;
  }

  // libjack's notification thread: only pass the news on.
  static void PortRegistered(jack_port_id_t, int, void* arg) { static_cast<Shared*>(arg)->changed(); }
  static void PortRenamed(jack_port_id_t, const char*, const char*, void* arg) { static_cast<Shared*>(arg)->changed(); }
  static void ServerShutDown(void* arg) {
    auto* self = static_cast<Shared*>(arg);
    self->gone.store(true);
    self->changed();
  }
};

JackClient::JackClient(std::string clientName, std::string portName)
    : clientName_(std::move(clientName)), portName_(std::move(portName)), shared_(new Shared) {}

JackClient::~JackClient() {
  Stop();
  // libjack crashes closing a client whose server went away, and its threads
  // may still hold this; the few bytes of a dead client are kept to the end,
  // where the leak checker sees them as kept. Clients end on the MIDI worker
  // of any service, or on one that was let go, hence the lock.
  if (shared_->gone.load()) {
    static std::mutex deadMutex;
    static auto* dead = new std::vector<Shared*>();
    std::lock_guard lock(deadMutex);
    dead->push_back(shared_);
    return;
  }
  delete shared_;
}

bool JackClient::Start(std::function<void()> destinationsChanged, std::shared_ptr<MidiOutbox> outbox) {
  if (started_ || !outbox) return false;
  SilenceJack();
  shared_->changed = std::move(destinationsChanged);
  shared_->outbox = std::move(outbox);
  for (int attempt = 0; attempt < kOpenAttempts && !shared_->client; ++attempt) {
    jack_status_t status{};
    shared_->client = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
    if (status & JackServerFailed) break;  // no server: trying again changes nothing
  }
  jack_client_t* client = shared_->client;
  if (!client) return false;
  jack_on_shutdown(client, &Shared::ServerShutDown, shared_);
  shared_->rate.store(jack_get_sample_rate(client));
  shared_->port = jack_port_register(client, portName_.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  // Counts as alive from now on: a server that never runs a cycle is stalled.
  shared_->outbox->Beat(Now());
  if (!shared_->port || jack_set_process_callback(client, &Shared::Process, shared_) != 0 ||
      jack_set_sample_rate_callback(client, &Shared::SampleRateChanged, shared_) != 0 ||
      jack_set_port_registration_callback(client, &Shared::PortRegistered, shared_) != 0 ||
      jack_set_port_rename_callback(client, &Shared::PortRenamed, shared_) != 0 || jack_activate(client) != 0) {
    jack_client_close(client);
    shared_->client = nullptr;
    return false;
  }
  started_ = true;
  return true;
}

void JackClient::Stop() {
  if (!started_ || stopped_) return;
  stopped_ = true;
  shared_->stopped.store(true);
  if (!shared_->gone.load()) jack_client_close(shared_->client);
}

std::vector<MidiDestination> JackClient::Destinations() {
  std::vector<MidiDestination> destinations;
  if (!started_ || stopped_ || shared_->gone.load()) return destinations;
  // The server's own order; the names are what jack_connect takes, and they
  // do not change from run to run, so each is also the stable name.
  const char** ports = jack_get_ports(shared_->client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (!ports) return destinations;
  for (const char** port = ports; *port; ++port) destinations.push_back({*port, *port, *port});
  jack_free(ports);
  return destinations;
}

bool JackClient::WaitUntilDelivered(uint64_t position, milliseconds limit) {
  if (!started_ || stopped_) return false;
  const auto until = Clock::now() + limit;
  auto waitFor = [&](auto done) {
    while (!done()) {
      if (shared_->gone.load() || Clock::now() >= until) return false;
      std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
  };
  // A message is written into the port in a cycle and read by its
  // destinations later in that same cycle. Once the reader has taken
  // everything before `position`, the cycle after the one running then has
  // begun when two more have ended: that one is over, and a connection taken
  // away or the client closed can no longer cut it off.
  if (!waitFor([&] { return shared_->outbox->Taken() >= position; })) return false;
  const uint64_t takenBy = shared_->cycles.load(std::memory_order_acquire);
  return waitFor([&] { return shared_->cycles.load(std::memory_order_acquire) >= takenBy + 2; });
}

MidiSystemClient::Link JackClient::Connect(const MidiDestination& destination) {
  if (!started_ || stopped_ || shared_->gone.load()) return Link::Failed;
  // The port's own name: a server may have renamed this client for the
  // others (PipeWire does, for a second client of the same name).
  const int result = jack_connect(shared_->client, jack_port_name(shared_->port), destination.address.c_str());
  if (result == EEXIST) return Link::AlreadyThere;
  if (result != 0) return Link::Failed;
  // The server answers before the connection is part of the graph it runs;
  // it shows in the port's connections once it is.
  const auto until = Clock::now() + kConnectionWait;
  while (!jack_port_connected_to(shared_->port, destination.address.c_str()) && Clock::now() < until) {
    std::this_thread::sleep_for(milliseconds(1));
  }
  const uint64_t resume = shared_->cycles.load(std::memory_order_acquire) + kCyclesUntilConnected;
  shared_->resumeCycle.store(resume, std::memory_order_release);
  return Link::Made;
}

bool JackClient::Disconnect(const MidiDestination& destination) {
  if (!started_ || stopped_ || shared_->gone.load()) return false;
  return jack_disconnect(shared_->client, jack_port_name(shared_->port), destination.address.c_str()) == 0;
}

bool JackClient::IsConnected(const MidiDestination& destination) {
  if (!started_ || stopped_ || shared_->gone.load()) return false;
  return jack_port_connected_to(shared_->port, destination.address.c_str()) != 0;
}

bool JackClient::Gone() const { return shared_->gone.load(); }

bool JackBuiltIn() { return true; }

std::unique_ptr<MidiSystemClient> CreateJackClient(const std::string& clientName) {
  return std::make_unique<JackClient>(clientName);
}
