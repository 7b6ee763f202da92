// SPDX-License-Identifier: MIT
#include "midi/OwnPortService.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "midi/ShortMessage.h"

namespace {
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

/// How often the worker looks at the system when it has nothing else to do.
constexpr milliseconds kWatchInterval{100};
/// The slices in which the worker waits for what was sent to go out, so a
/// system that went away is noticed in between.
constexpr milliseconds kDeliveryWaitSlice{100};

int64_t Now() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

// The worker's answer for one open: the open's number and how it went.
uint64_t PackLink(uint64_t request, MidiLink link) { return request << 3 | static_cast<uint64_t>(link); }
}  // namespace

/// Reports from the clients' threads reach the service only while it exists.
struct OwnPortService::ChangeRelay {
  std::mutex mutex;
  std::function<void()> systemChanged;  ///< the service: read the list again
  std::function<void()> newsHandler;    ///< the owner's handler

  void SystemChanged() {
    std::lock_guard lock(mutex);
    if (systemChanged) systemChanged();
  }
  void News() {
    std::lock_guard lock(mutex);
    if (newsHandler) newsHandler();
  }
};

struct OwnPortService::Shared {
  Shared(ClientFactory factory, MidiWaitLimits limits, MidiOutTiming timing)
      : factory(std::move(factory)),
        limits(limits),
        relay(std::make_shared<ChangeRelay>()),
        outbox(std::make_shared<MidiOutbox>(kOutboxCapacity, timing)) {}

  // Set at the start, then only read.
  const ClientFactory factory;
  const MidiWaitLimits limits;
  const std::shared_ptr<ChangeRelay> relay;
  const std::shared_ptr<MidiOutbox> outbox;

  // The worker thread alone.
  std::shared_ptr<MidiSystemClient> client;
  std::optional<Target> wanted;           ///< the destination asked for, while a device is open
  uint64_t wantedRequest = 0;             ///< the open that asked for it
  std::optional<MidiDestination> linked;  ///< the destination the port is connected to
  bool madeByUs = false;                  ///< the connection is Quill's to take away
  Clock::time_point nextJoin{};
  bool stalledSeen = false;

  // The worker and the calling thread.
  std::mutex listMutex;
  std::vector<MidiDestination> latest;  ///< as the worker last read it
  bool readPending = false;             ///< a list reading is queued
  std::atomic<uint64_t> linkState{0};   ///< PackLink of the latest answer
  std::atomic<bool> abandoned{false};   ///< the service is gone and let the worker go

  // Worker thread.
  bool EnsureClient(bool now);
  void ReadDestinations();
  void Link(const Target& target, uint64_t request, uint32_t gate, uint64_t position);
  void Unlink(uint64_t position);
  void Reconcile(const std::vector<MidiDestination>& list);
  void Watch();
  void StopClient();
  bool WaitDelivered(uint64_t position);
  void Disconnect();
  void Answer(MidiLink link);
  bool Running() const { return client && !client->Gone(); }
};

namespace {
// The entry the target stands for: the one chosen when it is still listed,
// else the first with its name.
std::optional<MidiDestination> Find(const std::optional<MidiDestination>& chosen, const std::string& stableName,
                                    const std::vector<MidiDestination>& list) {
  if (chosen) {
    for (const MidiDestination& d : list) {
      if (d == *chosen) return d;
    }
  }
  for (const MidiDestination& d : list) {
    if (d.stableName == stableName) return d;
  }
  return std::nullopt;
}
}  // namespace

OwnPortService::OwnPortService(ClientFactory factory, MidiWaitLimits limits, MidiOutTiming timing)
    : shared_(std::make_shared<Shared>(std::move(factory), limits, timing)) {
  // Cleared before the service goes, under the relay's lock.
  shared_->relay->systemChanged = [this] { PostListReading(); };
  auto started = std::make_shared<bool>(false);
  available_ = worker_.Call([shared = shared_, started] { *started = shared->EnsureClient(true); },
                            shared_->limits.commandDeadline) &&
               *started;
  worker_.SetIdleTask([shared = shared_] { shared->Watch(); }, kWatchInterval);
  std::lock_guard lock(shared_->listMutex);
  shown_ = shared_->latest;
}

OwnPortService::~OwnPortService() {
  {
    std::lock_guard lock(shared_->relay->mutex);
    shared_->relay->systemChanged = nullptr;
    shared_->relay->newsHandler = nullptr;
  }
  worker_.SetIdleTask(nullptr, milliseconds(0));
  // The client goes on the worker, after everything queued before: if the
  // worker is let go, the client stays with it and is stopped there should
  // the system ever answer.
  worker_.Post([shared = shared_] { shared->StopClient(); });
  if (!worker_.Stop(2 * shared_->limits.commandDeadline)) shared_->abandoned.store(true);
}

void OwnPortService::PostListReading() {
  {
    std::lock_guard lock(shared_->listMutex);
    if (shared_->readPending) return;
    shared_->readPending = true;
  }
  worker_.Post([shared = shared_] { shared->ReadDestinations(); });
}

// ---- Worker thread

bool OwnPortService::Shared::EnsureClient(bool now) {
  if (client && client->Gone()) {
    // The system went away, its connections with it. What waits in the
    // outbox waits for the next system.
    client->Stop();
    client.reset();
    linked.reset();
    madeByUs = false;
    if (wanted) Answer(MidiLink::Unconnected);
    {
      std::lock_guard lock(listMutex);
      latest.clear();
    }
    relay->News();
  }
  if (client) return true;
  if (!now && Clock::now() < nextJoin) return false;
  nextJoin = Clock::now() + limits.rejoinInterval;
  std::unique_ptr<MidiSystemClient> fresh = factory ? factory() : nullptr;
  if (!fresh) return false;
  // Nothing goes out until the connection wanted is made again.
  outbox->Hold(true);
  if (!fresh->Start([relay = relay] { relay->SystemChanged(); }, outbox)) {
    outbox->Hold(false);
    return false;
  }
  client = std::move(fresh);
  ReadDestinations();
  // Every change of destination asked for meanwhile comes down to the one
  // wanted now, connected (or not) above.
  outbox->OpenGate(outbox->LastGate());
  outbox->Hold(false);
  return true;
}

void OwnPortService::Shared::ReadDestinations() {
  {
    std::lock_guard lock(listMutex);
    readPending = false;
  }
  std::vector<MidiDestination> list;
  if (Running()) list = client->Destinations();
  const auto listed = [&](const MidiDestination& d) { return std::find(list.begin(), list.end(), d) != list.end(); };
  if (linked && (!listed(*linked) || !client->IsConnected(*linked))) {
    // The destination went (perhaps to come back at once), and its
    // connections with it.
    linked.reset();
    madeByUs = false;
    if (wanted) Answer(MidiLink::Unconnected);
  }
  Reconcile(list);
  bool changed = false;
  {
    std::lock_guard lock(listMutex);
    changed = list != latest;
    latest = std::move(list);
  }
  if (changed) relay->News();
}

void OwnPortService::Shared::Reconcile(const std::vector<MidiDestination>& list) {
  if (!wanted || linked || !Running() || outbox->Stalled(Now(), std::chrono::nanoseconds(limits.stallLimit).count()))
    return;
  const std::optional<MidiDestination> found = Find(wanted->chosen, wanted->stableName, list);
  if (!found) return;
  switch (client->Connect(*found)) {
    case MidiSystemClient::Link::Made: madeByUs = true; break;
    case MidiSystemClient::Link::AlreadyThere: madeByUs = false; break;
    case MidiSystemClient::Link::Failed: return;
  }
  linked = found;
  Answer(MidiLink::Connected);
}

void OwnPortService::Shared::Link(const Target& target, uint64_t request, uint32_t gate, uint64_t position) {
  wanted = target;
  wantedRequest = request;
  // Without a system the gate stays closed: what follows it waits for the
  // next one, joined by the watch.
  if (!EnsureClient(false) || !WaitDelivered(position)) {
    Answer(MidiLink::Unconnected);
    return;
  }
  // The old destination has everything sent before the change: the
  // connection may change now.
  const std::vector<MidiDestination> list = client->Destinations();
  const std::optional<MidiDestination> found = Find(target.chosen, target.stableName, list);
  if (!linked || !found || linked->address != found->address) {
    Disconnect();
    Reconcile(list);
  }
  outbox->OpenGate(gate);
  Answer(linked ? MidiLink::Connected : MidiLink::Unconnected);
}

void OwnPortService::Shared::Unlink(uint64_t position) {
  wanted.reset();
  if (Running() && WaitDelivered(position)) Disconnect();
  linked.reset();
  madeByUs = false;
}

void OwnPortService::Shared::Disconnect() {
  if (linked && madeByUs && Running()) client->Disconnect(*linked);
  linked.reset();
  madeByUs = false;
}

bool OwnPortService::Shared::WaitDelivered(uint64_t position) {
  // However long the system stalls: giving up would send the old
  // destination's last messages to the new one.
  while (!client->WaitUntilDelivered(position, kDeliveryWaitSlice)) {
    if (client->Gone() || abandoned.load()) return false;
  }
  return true;
}

void OwnPortService::Shared::Watch() {
  if (!EnsureClient(false)) return;
  const bool stalled = outbox->Stalled(Now(), std::chrono::nanoseconds(limits.stallLimit).count());
  if (stalled != stalledSeen) {
    stalledSeen = stalled;
    relay->News();
  }
  // A connection that failed is tried again while its destination is listed.
  if (wanted && !linked && !stalled) {
    std::vector<MidiDestination> list;
    {
      std::lock_guard lock(listMutex);
      list = latest;
    }
    Reconcile(list);
  }
}

void OwnPortService::Shared::StopClient() {
  if (!client) return;
  // The last note-offs of the program: worth a longer wait for a busy system.
  if (!client->Gone()) client->WaitUntilDelivered(outbox->Pushed(), limits.commandDeadline);
  client->Stop();
  client.reset();
}

void OwnPortService::Shared::Answer(MidiLink link) {
  linkState.store(PackLink(wantedRequest, link), std::memory_order_release);
  relay->News();
}

// ---- The calling thread

unsigned OwnPortService::GetNumDevs() { return static_cast<unsigned>(shown_.size()); }

std::string OwnPortService::GetDeviceName(unsigned device) {
  return device < shown_.size() ? shown_[device].name : std::string();
}

std::string OwnPortService::GetStableDeviceName(unsigned device) {
  return device < shown_.size() ? shown_[device].stableName : std::string();
}

bool OwnPortService::Open(unsigned device) {
  if (device >= shown_.size()) {
    Close();
    return false;
  }
  return OpenTarget({shown_[device].stableName, shown_[device]});
}

bool OwnPortService::OpenNamed(const std::string& stableName, unsigned device) {
  if (stableName.empty()) return Open(device);
  return OpenTarget({stableName, Find(std::nullopt, stableName, shown_)});
}

bool OwnPortService::OpenTarget(Target target) {
  Close();
  // What is sent from here on belongs to the new destination: it waits
  // behind the gate until the worker has made the connection.
  uint64_t position = 0;
  const uint32_t gate = shared_->outbox->PushGate(position);
  if (gate == 0) return false;  // the outbox is full: the system has stalled for long
  open_ = target;
  const uint64_t request = ++request_;
  worker_.Post([shared = shared_, target = std::move(target), request, gate, position] {
    shared->Link(target, request, gate, position);
  });
  return true;
}

bool OwnPortService::Close() {
  if (!open_) return true;
  open_.reset();
  ++request_;
  worker_.Post([shared = shared_, position = shared_->outbox->Pushed()] { shared->Unlink(position); });
  return true;
}

bool OwnPortService::SendShortMsgAt(uint32_t packed, int64_t time) {
  if (!open_) return false;
  std::array<uint8_t, 3> bytes{};
  const size_t length = ShortMessageBytes(packed, bytes);
  return length != 0 && shared_->outbox->Push(time, bytes.data(), length);
}

bool OwnPortService::IsConnectedTo(unsigned device) {
  if (!open_ || device >= shown_.size()) return false;
  const MidiDestination& entry = shown_[device];
  return open_->chosen ? open_->chosen->address == entry.address : open_->stableName == entry.stableName;
}

bool OwnPortService::IsOpenOn(const std::string& stableName, unsigned device) {
  if (stableName.empty()) return IsConnectedTo(device);
  return open_ && open_->stableName == stableName;
}

MidiLink OwnPortService::Link() {
  if (!open_) return MidiLink::Closed;
  const uint64_t state = shared_->linkState.load(std::memory_order_acquire);
  // An answer to an earlier open says nothing about this one.
  const MidiLink link = state >> 3 == request_ ? static_cast<MidiLink>(state & 7) : MidiLink::Connecting;
  if (link != MidiLink::Unconnected &&
      shared_->outbox->Stalled(Now(), std::chrono::nanoseconds(shared_->limits.stallLimit).count())) {
    return MidiLink::Stalled;
  }
  return link;
}

MidiDeliveryCounts OwnPortService::DeliveryCounts() const { return shared_->outbox->Counts(); }

void OwnPortService::RefreshDevices() {
  {
    std::lock_guard lock(shared_->listMutex);
    shown_ = shared_->latest;
  }
  // The list follows the system through its reports; reading it once more
  // also joins a system that was not there before.
  worker_.Post([shared = shared_] {
    shared->EnsureClient(true);
    shared->ReadDestinations();
  });
}

void OwnPortService::SetDevicesChangedHandler(std::function<void()> handler) {
  std::lock_guard lock(shared_->relay->mutex);
  shared_->relay->newsHandler = std::move(handler);
}
