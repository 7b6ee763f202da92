// SPDX-License-Identifier: MIT
// quill-latency [--events N] [--interval-us U]
//
// Times, for N pen packets paced U µs apart, how long ProcessPacket takes from
// the packet's arrival until the last send of the port returned, once with a
// sink that records the messages and once with the real JACK service connected
// to a receiver; then, for single messages, the time from the send to their
// arrival in a JACK receiver, given with the server's period. Last, the
// longest the GUI thread is held up by 100 changes of destination while the
// pen plays, on a MIDI system that takes half a second to make a connection.
#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/PerformanceEngine.h"
#include "midi/MidiSystem.h"
#include "midi/OwnPortService.h"
#include "tests/support/JackServer.h"

namespace {
using Clock = std::chrono::steady_clock;

class RecordingMidi : public MidiOutService {
 public:
  RecordingMidi() { sent.reserve(1 << 20); }
  unsigned GetNumDevs() override { return 1; }
  std::string GetDeviceName(unsigned) override { return "recorder"; }
  bool Open(unsigned) override { return true; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t packed) override {
    if (sent.size() == sent.capacity()) sent.clear();
    sent.push_back(packed);
    return true;
  }
  std::vector<uint32_t> sent;
};

class CountingMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view, MessageIcon) override { ++boxes; }
  bool AskYesNo(std::string_view) override { return true; }
  uint64_t boxes = 0;
};

class NoDisplay : public EngineDisplay {
 public:
  void SetDisplayText(Readout, std::string_view) override {}
  void InvalidateTabletArea() override {}
  void InvalidateWindow() override {}
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration&) override {}
};

class PenTools : public ToolNameSource {
 public:
  std::string ToolName(uint32_t) const override { return "Pressure Stylus"; }
};

// An engine started on `midi` as the window starts one, among quiet fakes.
struct PlayingEngine {
  explicit PlayingEngine(MidiOutService& midi) : engine(midi, messages, display, tools, copyBuffer) {
    engine.Start();
    engine.MarkInitialised();
  }
  CountingMessages messages;
  NoDisplay display;
  PenTools tools;
  CopyBuffer copyBuffer;
  PerformanceEngine engine;
};

struct Figures {
  double median = 0, p99 = 0, max = 0;
};

Figures Summarise(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  auto at = [&](double q) { return values[std::min(values.size() - 1, size_t(q * double(values.size())))]; };
  return {at(0.5), at(0.99), values.back()};
}

enum class Pattern { Controllers, Notes };

// Plays `events` packets into an engine on `midi` and returns each packet's time in µs.
std::vector<double> TimePackets(MidiOutService& midi, Pattern pattern, int events, std::chrono::microseconds interval,
                                uint64_t& boxes) {
  PlayingEngine playing(midi);
  PerformanceEngine& engine = playing.engine;
  const PacketGeometry geometry;
  TabletPacket packet;
  packet.cursor = 1;
  packet.altitude = 900;
  if (pattern == Pattern::Controllers) {
    // X, Y and pressure sent on every packet, as the pen moves in controller mode.
    engine.SelectController(kInputX, 1);
    engine.SelectController(kInputY, 2);
    engine.SelectController(kInputPressure, 11);
    engine.SetControllerMode(true);
  } else {
    // The pressed pen crosses into another band on every packet: note off,
    // note on and pan.
    packet.buttons = 1;
    packet.normalPressure = 600;
  }
  std::vector<double> times;
  times.reserve(size_t(events));
  auto next = Clock::now();
  for (int i = 0; i < events; ++i) {
    if (pattern == Pattern::Controllers) {
      packet.x = (i * 37) % 1920;
      packet.y = (i * 53) % 1080;
      packet.normalPressure = 1 + uint32_t(i % 1023);
    } else {
      packet.y = (i & 1) ? 100 : 1000;
    }
    next += interval;
    std::this_thread::sleep_until(next);
    const auto arrival = Clock::now();
    engine.ProcessPacket(packet, geometry);
    const auto done = Clock::now();
    times.push_back(std::chrono::duration<double, std::micro>(done - arrival).count());
  }
  boxes = playing.messages.boxes;
  return times;
}

// A JACK receiver that notes when each message arrives.
class TimedReceiver {
 public:
  static constexpr int kIds = 128 * 128;

  TimedReceiver() : arrivals_(kIds) {
    in_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "latency-receiver");
    in_->setCallback(&TimedReceiver::OnMessage, this);
    in_->openVirtualPort("in");
    JackServer::WaitForPort("latency-receiver:in");
  }
  // The port closes before the arrival table goes: JACK may still deliver.
  ~TimedReceiver() { in_.reset(); }
  void Clear() {
    for (auto& a : arrivals_) a.store(0);
    count_ = 0;
  }
  int64_t Arrival(int id) const { return arrivals_[size_t(id)].load(); }
  int Count() const { return count_.load(); }

 private:
  static void OnMessage(double, std::vector<unsigned char>* message, void* arg) {
    auto* self = static_cast<TimedReceiver*>(arg);
    const auto now = Clock::now().time_since_epoch().count();
    if (message->size() == 3 && (*message)[0] == 0x90) {
      self->arrivals_[size_t((*message)[1] * 128 + (*message)[2])].store(now);
    }
    ++self->count_;
  }

  std::unique_ptr<RtMidiIn> in_;
  std::vector<std::atomic<int64_t>> arrivals_;
  std::atomic<int> count_{0};
};

// A MIDI system that takes half a second over every connection (as a server
// that is busy, or swapping): it delivers the outbox every millisecond into
// nowhere. Everything it uses is its own, since a service's worker may still
// hold it when the measurement is over.
class SlowSystemClient : public MidiSystemClient {
 public:
  static constexpr auto kAnswer = std::chrono::milliseconds(500);
  static inline std::atomic<bool> hurry{false};  ///< the measurement is over: answer at once

  ~SlowSystemClient() override { Stop(); }
  bool Start(std::function<void()>, std::shared_ptr<MidiOutbox> outbox) override {
    outbox_ = std::move(outbox);
    reader_ = std::thread([this] {
      while (!stop_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int64_t now = Clock::now().time_since_epoch().count();
        outbox_->FillCycle({now, now + 1'000'000, 48, outbox_->LatencyFor(48, 48000)},
                           [](uint32_t, const uint8_t*, size_t) { return true; });
        outbox_->Beat(now);
        ++cycles_;
      }
    });
    return true;
  }
  void Stop() override {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
  }
  std::vector<MidiDestination> Destinations() override { return {{"A", "A", "A"}, {"B", "B", "B"}}; }
  bool WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) override {
    const auto until = Clock::now() + limit;
    while (outbox_->Taken() < position && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const uint64_t seen = cycles_;
    while (cycles_ < seen + 2 && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return cycles_ >= seen + 2;
  }
  Link Connect(const MidiDestination&) override {
    Answer();
    return Link::Made;
  }
  bool Disconnect(const MidiDestination&) override {
    Answer();
    return true;
  }
  bool IsConnected(const MidiDestination&) override { return true; }
  bool Gone() const override { return false; }

 private:
  static void Answer() {
    for (auto until = Clock::now() + kAnswer; Clock::now() < until && !hurry;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::shared_ptr<MidiOutbox> outbox_;
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> cycles_{0};
  std::thread reader_;
};

// The longest time, in ms, that one call on the GUI thread took while the
// destination changed 100 times, a pen packet between every two changes.
double LongestStallOverPresetChanges() {
  OwnPortService service([] { return std::make_unique<SlowSystemClient>(); });
  PlayingEngine playing(service);
  PerformanceEngine& engine = playing.engine;
  const PacketGeometry geometry;
  TabletPacket packet;
  packet.cursor = 1;
  packet.buttons = 1;
  packet.normalPressure = 600;
  double longest = 0;
  auto timed = [&](auto&& call) {
    const auto start = Clock::now();
    call();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  };
  for (int change = 0; change < 100; ++change) {
    timed([&] { engine.SelectPort(change % 2); });
    packet.y = (change & 1) ? 100 : 1000;
    timed([&] { engine.ProcessPacket(packet, geometry); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  SlowSystemClient::hurry = true;
  return longest;
}

void Print(const char* sink, const char* pattern, const std::vector<double>& times, uint64_t boxes) {
  const Figures f = Summarise(times);
  std::printf("%-10s %-12s %8zu %10.2f %8.2f %9.1f %6llu\n", sink, pattern, times.size(), f.median, f.p99, f.max,
              static_cast<unsigned long long>(boxes));
}
}  // namespace

int main(int argc, char** argv) {
  int events = 100000;
  int intervalUs = 100;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--events") == 0) events = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--interval-us") == 0) intervalUs = std::max(1, std::atoi(argv[i + 1]));
  }
  const std::chrono::microseconds interval(intervalUs);
  std::printf("%d packets per pattern, one every %d us\n", events, intervalUs);
  std::printf("%-10s %-12s %8s %10s %8s %9s %6s\n", "sink", "pattern", "packets", "median_us", "p99_us", "max_us",
              "errors");

  uint64_t boxes = 0;
  for (Pattern pattern : {Pattern::Controllers, Pattern::Notes}) {
    RecordingMidi recorder;
    const auto times = TimePackets(recorder, pattern, events, interval, boxes);
    Print("recording", pattern == Pattern::Controllers ? "controllers" : "notes", times, boxes);
  }

  std::printf("longest GUI-thread call over 100 destination changes, each connection taking %lld ms: %.2f ms\n",
              static_cast<long long>(SlowSystemClient::kAnswer.count()), LongestStallOverPresetChanges());

  if (!JackServer::Installed()) {
    std::printf("jackd is not installed: no JACK figures\n");
    return 0;
  }
  JackServer server;
  if (!server.Start()) {
    std::printf("jackd did not start: no JACK figures\n");
    return 1;
  }
  TimedReceiver receiver;
  for (Pattern pattern : {Pattern::Controllers, Pattern::Notes}) {
    auto jack = CreateMidiOutService(MidiSystem::Jack);  // the receiver is device 0
    const auto times = TimePackets(*jack, pattern, events, interval, boxes);
    Print("jack", pattern == Pattern::Controllers ? "controllers" : "notes", times, boxes);
  }

  // From the send to the receiver: one note on per millisecond, each with its
  // own number, so that arrivals can be matched to sends.
  auto jack = CreateMidiOutService(MidiSystem::Jack);
  if (!jack->Open(0)) {
    std::printf("cannot open the receiver\n");
    return 1;
  }
  receiver.Clear();
  const int messages = std::min(events, 5000);
  std::vector<int64_t> sent(static_cast<size_t>(messages));
  int refused = 0;
  for (int id = 0; id < messages; ++id) {
    sent[size_t(id)] = Clock::now().time_since_epoch().count();
    refused += !jack->SendShortMsg(0x90u | uint32_t(id / 128) << 8 | uint32_t(id % 128) << 16);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::vector<double> delays;
  for (int id = 0; id < messages; ++id) {
    if (receiver.Arrival(id)) delays.push_back(double(receiver.Arrival(id) - sent[size_t(id)]) / 1e6);
  }
  const Figures f = Summarise(delays);
  const double period = 1000.0 * JackServer::kPeriod / JackServer::kSampleRate;
  std::printf(
      "send to JACK receiver: %d refused, %zu of %d arrived; median %.2f ms, p99 %.2f ms, max %.2f ms; "
      "server period %d frames at %d Hz = %.2f ms\n",
      refused, delays.size(), messages, f.median, f.p99, f.max, JackServer::kPeriod, JackServer::kSampleRate, period);
  return 0;
}
