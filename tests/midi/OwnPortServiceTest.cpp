// SPDX-License-Identifier: MIT
// The service's connection rules over a pretended MIDI system: which
// connections it makes and takes away, the list, and a system that never
// answers. A system that is not there is tested on the real services without
// one; a stalled server, and one that is gone and found again by a refresh
// once it is back, on a real one (tests/e2e).
#include "midi/OwnPortService.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

/// The pretended system: its destinations and the connections of Quill's port
/// (whoever made them). What reaches a port is tested on a real server.
struct FakeSystem {
  std::mutex mutex;
  std::condition_variable changedCall;
  std::vector<MidiDestination> destinations;
  std::set<std::string> connections;
  Strings log;  ///< "start", "connect A", "disconnect A", "stop"
  int handlerCalls = 0;
  int clients = 0;                 ///< FakeClients that exist
  std::atomic<int> blockRead{-1};  ///< a pipe: while open, Connect waits for a byte
  int blockWrite = -1;
  std::function<void()> changed;  ///< the latest client's report

  FakeSystem(std::initializer_list<const char*> names) {
    for (const char* name : names) destinations.push_back({name, std::string(name) + " stable", name});
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
  int Clients() {
    std::lock_guard lock(mutex);
    return clients;
  }
  void CountClient(int change) {
    std::lock_guard lock(mutex);
    clients += change;
    changedCall.notify_all();
  }
  /// Waits (at most ten seconds) until `done` holds.
  template <typename Done>
  bool WaitUntil(Done done) {
    std::unique_lock lock(mutex);
    return changedCall.wait_for(lock, 10s, [&] { return done(); });
  }
  void CountHandlerCall() {
    std::lock_guard lock(mutex);
    ++handlerCalls;
    changedCall.notify_all();
  }
};

class FakeClient : public MidiSystemClient {
 public:
  explicit FakeClient(FakeSystem& system) : system_(system) { system_.CountClient(+1); }
  ~FakeClient() override { system_.CountClient(-1); }
  bool Start(std::function<void()> changed) override {
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("start");
    system_.changed = std::move(changed);
    return true;
  }
  void Stop() override {
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("stop");
  }
  std::vector<MidiDestination> Destinations() override {
    std::lock_guard lock(system_.mutex);
    return system_.destinations;
  }
  bool WaitUntilRunning(std::chrono::milliseconds) override { return true; }
  void WaitUntilDelivered(std::chrono::milliseconds) override {}
  Link Connect(const MidiDestination& destination) override {
    char byte = 0;
    // A system that stopped answering: the call stays in the kernel.
    if (const int fd = system_.blockRead.load(); fd >= 0 && ::read(fd, &byte, 1) < 0) return Link::Failed;
    std::lock_guard lock(system_.mutex);
    system_.log.push_back("connect " + destination.address);
    if (!std::any_of(system_.destinations.begin(), system_.destinations.end(),
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
  bool Write(const uint8_t*, size_t) override { return true; }
  bool Stalled(std::chrono::milliseconds) const override { return false; }
  bool Gone() const override { return false; }

 private:
  FakeSystem& system_;
};

/// Waits generously: only a system that never answers reaches the deadline.
constexpr MidiWaitLimits kPatient{10s, 250ms, 200ms};

std::unique_ptr<OwnPortService> ServiceOn(FakeSystem& system, MidiWaitLimits limits = kPatient) {
  auto service = std::make_unique<OwnPortService>([&system] { return std::make_unique<FakeClient>(system); }, limits);
  service->SetDevicesChangedHandler([&system] { system.CountHandlerCall(); });
  return service;
}

// Open as the engine opens: the old port is closed first.
bool Reopen(OwnPortService& service, unsigned device) {
  service.Close();
  return service.Open(device);
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
    const Strings log = system.Log();
    EXPECT_EQ(Strings(log.begin() + std::ptrdiff_t(seen), log.end()), step.log) << "device " << step.device;
    seen = log.size();
    EXPECT_EQ(system.connections, step.connections);
    for (unsigned device = 0; device < 3; ++device) EXPECT_EQ(service->IsConnectedTo(device), device == step.device);
  }
  EXPECT_TRUE(service->Close());
  EXPECT_FALSE(service->IsConnectedTo(0));
  EXPECT_FALSE(service->SendShortMsg(0x643C90)) << "closed: nothing to send to";
  EXPECT_FALSE(service->Open(3)) << "past the end of the list";
  service.reset();  // the worker has done everything asked of it
  EXPECT_EQ(system.connections, (std::set<std::string>{"C"}));
}

TEST(OwnPortServiceTest, ListFollowsTheSystemWhenRefreshed) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system);
  ASSERT_EQ(service->GetNumDevs(), 2u);  // (names and the end of the list: on a real server)
  ASSERT_TRUE(Reopen(*service, 1));

  // A destination appears: the owner hears of it, and the list it sees
  // changes only when it refreshes (its box must keep matching the indexes).
  system.Add("C");
  system.Report();
  ASSERT_TRUE(system.WaitUntil([&] { return system.handlerCalls == 1; }));
  EXPECT_EQ(service->GetNumDevs(), 2u);
  service->RefreshDevices();
  EXPECT_EQ(service->GetNumDevs(), 3u);
  EXPECT_EQ(service->GetDeviceName(2), "C");
  EXPECT_TRUE(service->IsConnectedTo(1));

  // A report that changes nothing is not passed on; a refresh reads the list
  // again but reports only a difference. (Open waits for what was queued.)
  system.Report();
  service->RefreshDevices();
  ASSERT_TRUE(Reopen(*service, 1));
  EXPECT_EQ(system.handlerCalls, 1);

  // The connected destination goes: the port is no longer connected to it.
  system.Remove("B");
  system.Report();
  ASSERT_TRUE(system.WaitUntil([&] { return system.handlerCalls == 2; }));
  EXPECT_FALSE(service->IsConnectedTo(1));
  service->RefreshDevices();
  EXPECT_EQ(service->GetNumDevs(), 2u);
  EXPECT_EQ(service->GetDeviceName(1), "C");
  EXPECT_FALSE(service->IsConnectedTo(1));
}

TEST(OwnPortServiceTest, SystemThatNeverAnswersIsGivenUpAndTheServiceStillEnds) {
  FakeSystem system{"A", "B"};
  auto service = ServiceOn(system, MidiWaitLimits{300ms, 250ms, 200ms});
  system.Block();
  EXPECT_FALSE(Reopen(*service, 0));
  EXPECT_FALSE(Reopen(*service, 1)) << "fails at once while the first one waits";

  // The system answers at last: the connection nobody waits for any more is
  // made, then taken away again.
  system.Release();
  ASSERT_TRUE(system.WaitUntil([&] { return system.log.size() >= 3; }));
  EXPECT_EQ(system.Log(), (Strings{"start", "connect A", "disconnect A"}));
  EXPECT_TRUE(system.connections.empty());
  system.Unblock();
  EXPECT_TRUE(Reopen(*service, 1));

  // Now it hangs: the service still ends within twice its command deadline,
  // leaving the worker stuck in Connect to itself with the client. Should the
  // system answer after all, that thread finishes what was asked (the late
  // connection taken back), stops the client and frees it.
  system.Block();
  EXPECT_FALSE(Reopen(*service, 0));
  const auto ending = std::chrono::steady_clock::now();
  service.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - ending, 2 * 300ms + 400ms);
  const Strings before = system.Log();
  EXPECT_EQ(before.back(), "disconnect B");
  EXPECT_EQ(system.Clients(), 1);
  system.Release();
  ASSERT_TRUE(system.WaitUntil([&] { return system.clients == 0; }));
  const Strings log = system.Log();
  EXPECT_EQ(Strings(log.begin() + std::ptrdiff_t(before.size()), log.end()),
            (Strings{"connect A", "disconnect A", "stop"}));
}

}  // namespace
