// SPDX-License-Identifier: MIT
// The service over a pretended MIDI system that delivers what it is sent to
// the destinations connected at that moment, as a server's cycles do, and
// that can answer slowly or never, stall, go away and come back. What reaches
// a real server's ports, and a system that is not there, are tested on the
// real services (tests/e2e, MidiServiceTest).
#include "midi/OwnPortService.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

/// The pretended system: its destinations, the connections of Quill's port
/// (whoever made them), and what each destination heard.
struct FakeSystem {
  std::mutex mutex;
  std::condition_variable changedCall;
  std::vector<MidiDestination> destinations;
  std::set<std::string> connections;
  std::map<std::string, Strings> heard;  ///< per destination, "90 3C 40"
  Strings log;                           ///< "start", "connect A", "disconnect A", "stop"
  int clients = 0;                       ///< FakeClients that exist
  bool running = true;                   ///< the system runs its cycles (false: stalled)
  bool up = true;                        ///< the system is there at all
  int generation = 0;                    ///< counts the system's restarts
  std::atomic<int> blockRead{-1};        ///< a pipe: while open, Connect waits for a byte
  int blockWrite = -1;
  std::function<void()> changed;  ///< the latest client's report

  FakeSystem(std::initializer_list<const char*> names) {
    for (const char* name : names) Add(name);
  }
  ~FakeSystem() { Unblock(); }

  void Add(const char* name) {
    std::lock_guard lock(mutex);
    destinations.push_back({name, std::string(name) + " stable", name});
  }
  void Remove(const std::string& address) {
    std::lock_guard lock(mutex);
    std::erase_if(destinations, [&](const MidiDestination& d) { return d.address == address; });
    connections.erase(address);
  }
  void Report() {
    std::function<void()> report;
    {
      std::lock_guard lock(mutex);
      report = changed;
    }
    if (report) report();
  }
  void Run(bool run) {
    std::lock_guard lock(mutex);
    running = run;
  }
  /// The system dies with its connections and destinations; clients that
  /// start meanwhile fail.
  void Kill() {
    {
      std::lock_guard lock(mutex);
      up = false;
      ++generation;
      connections.clear();
      destinations.clear();
    }
    Report();
  }
  void Restart() {
    std::lock_guard lock(mutex);
    up = true;
  }
  void Block() {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    blockWrite = ends[1];
    blockRead = ends[0];
  }
  void Release() { ASSERT_EQ(::write(blockWrite, "x", 1), 1); }
  void Unblock() {
    if (blockWrite >= 0) ::close(blockWrite);
    if (const int fd = blockRead.exchange(-1); fd >= 0) ::close(fd);
    blockWrite = -1;
  }
  Strings Log() {
    std::lock_guard lock(mutex);
    return log;
  }
  std::set<std::string> Connections() {
    std::lock_guard lock(mutex);
    return connections;
  }
  int Clients() {
    std::lock_guard lock(mutex);
    return clients;
  }
  Strings Heard(const std::string& destination) {
    std::lock_guard lock(mutex);
    return heard[destination];
  }
  /// Waits (at most ten seconds) until `done` holds.
  template <typename Done>
  bool WaitUntil(Done done) {
    std::unique_lock lock(mutex);
    return changedCall.wait_for(lock, 10s, [&] { return done(); });
  }
};

/// A client that delivers the outbox every millisecond while its system runs.
class FakeClient : public MidiSystemClient {
 public:
  explicit FakeClient(FakeSystem& system) : system_(system) {
    std::lock_guard lock(system_.mutex);
    ++system_.clients;
  }
  ~FakeClient() override {
    Stop();
    std::lock_guard lock(system_.mutex);
    --system_.clients;
    system_.changedCall.notify_all();
  }
  bool Start(std::function<void()> changed, std::shared_ptr<MidiOutbox> outbox) override {
    {
      std::lock_guard lock(system_.mutex);
      if (!system_.up) return false;
      system_.log.push_back("start");
      system_.changed = std::move(changed);
      generation_ = system_.generation;
    }
    outbox_ = std::move(outbox);
    outbox_->Beat(Now());
    reader_ = std::thread([this] { Deliver(); });
    return true;
  }
  void Stop() override {
    if (!reader_.joinable()) return;
    stop_ = true;
    reader_.join();
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("stop");
    system_.changedCall.notify_all();
  }
  std::vector<MidiDestination> Destinations() override {
    std::lock_guard lock(system_.mutex);
    return GoneLocked() ? std::vector<MidiDestination>{} : system_.destinations;
  }
  bool WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) override {
    std::unique_lock lock(system_.mutex);
    const bool taken = system_.changedCall.wait_for(lock, limit, [&] { return outbox_->Taken() >= position; });
    const uint64_t seen = cycles_;
    return taken && system_.changedCall.wait_for(lock, limit, [&] { return cycles_ >= seen + 2; });
  }
  Link Connect(const MidiDestination& destination) override {
    char byte = 0;
    // A system that answers slowly, or not at all: the call stays in the kernel.
    if (const int fd = system_.blockRead.load(); fd >= 0 && ::read(fd, &byte, 1) < 0) return Link::Failed;
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("connect " + destination.address);
    if (GoneLocked() || std::none_of(system_.destinations.begin(), system_.destinations.end(),
                                     [&](const MidiDestination& d) { return d.address == destination.address; })) {
      return Link::Failed;
    }
    const bool fresh = system_.connections.insert(destination.address).second;
    system_.changedCall.notify_all();
    return fresh ? Link::Made : Link::AlreadyThere;
  }
  bool Disconnect(const MidiDestination& destination) override {
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("disconnect " + destination.address);
    system_.changedCall.notify_all();
    return system_.connections.erase(destination.address) > 0;
  }
  bool IsConnected(const MidiDestination& destination) override {
    std::lock_guard lock(system_.mutex);
    return system_.connections.count(destination.address) > 0;
  }
  bool Gone() const override {
    std::lock_guard lock(system_.mutex);
    return GoneLocked();
  }

 private:
  bool GoneLocked() const { return generation_ != system_.generation; }

  void Deliver() {
    while (!stop_) {
      std::this_thread::sleep_for(1ms);
      std::lock_guard lock(system_.mutex);
      if (GoneLocked() || !system_.running) continue;
      const int64_t now = Now();
      outbox_->FillCycle({now, now + 1'000'000, 48, outbox_->LatencyFor(48, 48000)},
                         [&](uint32_t, const uint8_t* bytes, size_t length) {
                           std::string text;
                           for (size_t i = 0; i < length; ++i) {
                             char byte[4];
                             std::snprintf(byte, sizeof byte, "%02X", bytes[i]);
                             text += (i ? " " : "") + std::string(byte);
                           }
                           for (const std::string& to : system_.connections) system_.heard[to].push_back(text);
                           return true;
                         });
      outbox_->Beat(now);
      ++cycles_;
      system_.changedCall.notify_all();
    }
  }

  FakeSystem& system_;
  std::shared_ptr<MidiOutbox> outbox_;
  int generation_ = 0;
  uint64_t cycles_ = 0;  ///< under the system's lock
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

/// Waits generously: only a system that never answers reaches the deadline.
constexpr MidiWaitLimits kPatient{10s, 250ms, 50ms};

std::unique_ptr<OwnPortService> ServiceOn(FakeSystem& system, MidiWaitLimits limits = kPatient) {
  return std::make_unique<OwnPortService>([&system] { return std::make_unique<FakeClient>(system); }, limits);
}

// Open as the engine opens: the old port is closed first.
bool Reopen(OwnPortService& service, unsigned device) {
  service.Close();
  return service.Open(device);
}

/// Waits (at most ten seconds) until the service's connection is as expected.
bool LinkBecomes(OwnPortService& service, MidiLink link) {
  for (int i = 0; i < 1000 && service.Link() != link; ++i) std::this_thread::sleep_for(10ms);
  return service.Link() == link;
}

bool Send(OwnPortService& service, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
  return service.SendShortMsg(status | uint32_t{data1} << 8 | uint32_t{data2} << 16);
}

TEST(OwnPortServiceTest, ConnectsOnlyWhatItChoseAndLeavesOtherConnectionsAlone) {
  FakeSystem system{"A", "B", "C"};
  system.connections = {"C"};  // made by hand before Quill started
  auto service = ServiceOn(system);
  ASSERT_TRUE(service->IsAvailable());

  // Each row: the device chosen, then what the system saw and what is connected.
  struct Step {
    unsigned device;
    Strings log;
    std::set<std::string> connections;
  };
  const Step steps[] = {
      {0, {"connect A"}, {"A", "C"}},
      {1, {"disconnect A", "connect B"}, {"B", "C"}},
      {2, {"disconnect B", "connect C"}, {"C"}},       // found there: stays the hand-made one
      {0, {"connect A"}, {"A", "C"}},                  // so choosing another leaves it
      {0, {"disconnect A", "connect A"}, {"A", "C"}},  // choosing again connects again
  };
  size_t seen = system.Log().size();
  for (const Step& step : steps) {
    ASSERT_TRUE(Reopen(*service, step.device));
    for (unsigned device = 0; device < 3; ++device) EXPECT_EQ(service->IsConnectedTo(device), device == step.device);
    ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected)) << "device " << step.device;
    const Strings log = system.Log();
    EXPECT_EQ(Strings(log.begin() + std::ptrdiff_t(seen), log.end()), step.log) << "device " << step.device;
    seen = log.size();
    EXPECT_EQ(system.Connections(), step.connections);
  }
  EXPECT_TRUE(service->Close());
  EXPECT_EQ(service->Link(), MidiLink::Closed);
  EXPECT_FALSE(service->IsConnectedTo(0));
  EXPECT_FALSE(Send(*service, 0x90, 0x3C, 0x64)) << "closed: nothing to send to";
  EXPECT_FALSE(service->Open(3)) << "past the end of the list";
  service.reset();  // the worker has done everything asked of it
  EXPECT_EQ(system.Connections(), (std::set<std::string>{"C"}));
}

TEST(OwnPortServiceTest, ListFollowsTheSystemWhenRefreshedAndALostDestinationComesBack) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  std::atomic<int> reports{0};
  service->SetDevicesChangedHandler([&] { ++reports; });
  ASSERT_EQ(service->GetNumDevs(), 2u);  // (names and the end of the list: on a real server)
  ASSERT_TRUE(Reopen(*service, 1));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));

  // A destination appears: the owner hears of it, and the list it sees
  // changes only when it refreshes (its box must keep matching the indexes).
  const int before = reports;
  system.Add("C");
  system.Report();
  for (int i = 0; i < 1000 && reports == before; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_GT(reports, before);
  EXPECT_EQ(service->GetNumDevs(), 2u);
  service->RefreshDevices();
  EXPECT_EQ(service->GetNumDevs(), 3u);
  EXPECT_EQ(service->GetDeviceName(2), "C");

  // The connected destination goes: the port is unconnected, the owner told.
  system.Remove("B");
  system.Report();
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Unconnected));
  service->RefreshDevices();
  EXPECT_EQ(service->GetNumDevs(), 2u);
  EXPECT_EQ(service->GetDeviceName(1), "C");
  EXPECT_TRUE(service->IsOpenOn("B stable", 0)) << "still wanted";

  // It comes back (listed last now): connected again by its name, and
  // nothing else was connected meanwhile.
  system.Add("B");
  system.Report();
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
  EXPECT_EQ(system.Connections(), (std::set<std::string>{"B"}));
  service->SetDevicesChangedHandler({});
}

TEST(OwnPortServiceTest, AChangeOfDestinationNeverWaitsAndEachDestinationHearsItsOwn) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  ASSERT_TRUE(Reopen(*service, 0));
  ASSERT_TRUE(Send(*service, 0x90, 0x3C, 0x40));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));

  // The system now takes its time over a connection; the preset changes
  // anyway, the old note stopped first, and the new preset plays at once.
  system.Block();
  ASSERT_TRUE(Send(*service, 0x80, 0x3C));
  ASSERT_TRUE(Reopen(*service, 1));
  EXPECT_EQ(service->Link(), MidiLink::Connecting);
  for (uint8_t note = 0x3E; note < 0x48; ++note) ASSERT_TRUE(Send(*service, 0x90, note, 0x40));
  ASSERT_TRUE(system.WaitUntil([&] { return system.heard["A"].size() == 2 && system.connections.empty(); }));
  EXPECT_TRUE(system.Heard("B").empty()) << "nothing before the connection is made";

  system.Release();
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
  ASSERT_TRUE(system.WaitUntil([&] { return system.heard["B"].size() == 10; }));
  EXPECT_EQ(system.Heard("A"), (Strings{"90 3C 40", "80 3C 00"}));
  EXPECT_EQ(system.Heard("B").front(), "90 3E 40");
  EXPECT_EQ(system.Heard("B").back(), "90 47 40");
}

TEST(OwnPortServiceTest, AStalledSystemKeepsWhatWasSentInOrderForEachDestination) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  ASSERT_TRUE(Reopen(*service, 0));
  ASSERT_TRUE(Send(*service, 0x90, 0x3C, 0x40));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
  ASSERT_TRUE(system.WaitUntil([&] { return system.heard["A"].size() == 1; }));

  system.Run(false);
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Stalled));
  // The pen lifts, the preset changes to another destination and plays:
  // nothing is refused, nothing waits.
  EXPECT_TRUE(Send(*service, 0x80, 0x3C));
  ASSERT_TRUE(Reopen(*service, 1));
  EXPECT_TRUE(Send(*service, 0xC0, 0x05));
  EXPECT_TRUE(Send(*service, 0x90, 0x3E, 0x40));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(system.Heard("A").size(), 1u);

  system.Run(true);
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
  ASSERT_TRUE(system.WaitUntil([&] { return system.heard["B"].size() == 2; }));
  EXPECT_EQ(system.Heard("A"), (Strings{"90 3C 40", "80 3C 00"}));
  EXPECT_EQ(system.Heard("B"), (Strings{"C0 05", "90 3E 40"}));
}

TEST(OwnPortServiceTest, ASystemThatGoesAwayIsJoinedAgainAndTheDestinationConnectedByName) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  ASSERT_TRUE(service->OpenNamed("B stable", 0));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));

  for (int restart = 0; restart < 3; ++restart) {
    SCOPED_TRACE(restart);
    system.Kill();
    ASSERT_TRUE(LinkBecomes(*service, MidiLink::Unconnected));
    EXPECT_TRUE(Send(*service, 0xB0, 0x07, uint8_t(restart))) << "kept while there is room";
    // The system comes back, then the destination (listed first now).
    system.Restart();
    std::this_thread::sleep_for(100ms);
    system.Add("B");
    system.Add("A");
    system.Report();
    ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
    EXPECT_EQ(system.Connections(), (std::set<std::string>{"B"}));
    ASSERT_TRUE(Send(*service, 0x90, 0x3C, 0x40));
    ASSERT_TRUE(system.WaitUntil([&] { return !system.heard["B"].empty() && system.heard["B"].back() == "90 3C 40"; }));
    ASSERT_TRUE(system.WaitUntil([&] { return system.clients == 1; })) << "the dead client is let go";
  }
}

TEST(OwnPortServiceTest, AnAbsentDestinationIsWaitedForWithoutAStandIn) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  // A preset names a synthesiser that is not running: nothing is connected
  // in its place, whatever its old number now stands for.
  ASSERT_TRUE(service->OpenNamed("C stable", 1));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Unconnected));
  EXPECT_TRUE(Send(*service, 0xC0, 0x05)) << "goes nowhere, and nothing complains";
  EXPECT_TRUE(system.Connections().empty());
  EXPECT_TRUE(service->IsOpenOn("C stable", 0));
  EXPECT_FALSE(service->IsOpenOn("B stable", 1));

  system.Add("C");
  system.Report();
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));
  EXPECT_EQ(system.Connections(), (std::set<std::string>{"C"}));
  EXPECT_TRUE(system.Heard("A").empty());
  EXPECT_TRUE(system.Heard("B").empty());
}

TEST(OwnPortServiceTest, SystemThatNeverAnswersIsGivenUpAndTheServiceStillEnds) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system, MidiWaitLimits{300ms, 250ms, 50ms});
  ASSERT_TRUE(Reopen(*service, 0));
  ASSERT_TRUE(LinkBecomes(*service, MidiLink::Connected));

  // It hangs in a connection: the service still ends within twice its
  // command deadline, leaving the worker stuck in Connect to itself with the
  // client. Should the system answer after all, that thread finishes what
  // was asked (the late connection made), stops the client and frees it.
  system.Block();
  ASSERT_TRUE(Reopen(*service, 1));
  ASSERT_TRUE(system.WaitUntil([&] { return system.log.back() == "disconnect A"; }));
  const auto ending = std::chrono::steady_clock::now();
  service.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - ending, 2 * 300ms + 400ms);
  EXPECT_EQ(system.Clients(), 1);
  system.Release();
  ASSERT_TRUE(system.WaitUntil([&] { return system.clients == 0; }));
  const Strings log = system.Log();
  EXPECT_EQ(Strings(log.end() - 2, log.end()), (Strings{"connect B", "stop"}));
}

}  // namespace
