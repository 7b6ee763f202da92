// SPDX-License-Identifier: MIT
#include "midi/OwnPortService.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "midi/ShortMessage.h"

/// Reports from the clients' threads reach the service only while it exists.
struct OwnPortService::ChangeRelay {
  std::mutex mutex;
  std::function<void()> systemChanged;  ///< the service: read the list again
  std::function<void()> listChanged;    ///< the owner's handler

  void SystemChanged() {
    std::lock_guard lock(mutex);
    if (systemChanged) systemChanged();
  }
  void ListChanged() {
    std::lock_guard lock(mutex);
    if (listChanged) listChanged();
  }
};

struct OwnPortService::Shared {
  /// What an Open left for the sending thread.
  struct Opened {
    std::shared_ptr<MidiSystemClient> client;
    uint64_t linkEpoch = 0;
  };

  Shared(ClientFactory factory, MidiWaitLimits limits)
      : factory(std::move(factory)), limits(limits), relay(std::make_shared<ChangeRelay>()) {}

  // Set at the start, then only read.
  const ClientFactory factory;
  const MidiWaitLimits limits;
  const std::shared_ptr<ChangeRelay> relay;

  // The worker thread alone.
  std::shared_ptr<MidiSystemClient> client;
  std::optional<MidiDestination> linked;  ///< the destination the port is connected to
  bool madeByUs = false;                  ///< the connection is Quill's to take away

  // The worker and the calling thread.
  std::mutex listMutex;
  std::vector<MidiDestination> latest;  ///< as the worker last read it
  bool readPending = false;             ///< a list reading is queued
  std::atomic<uint64_t> linkEpoch{0};   ///< counts connections lost or replaced

  // Worker thread.
  bool EnsureClient();
  void ReadDestinations();
  std::optional<Opened> Link(const MidiDestination& destination);
  void Unlink();
  void StopClient();
};

OwnPortService::OwnPortService(ClientFactory factory, MidiWaitLimits limits)
    : shared_(std::make_shared<Shared>(std::move(factory), limits)) {
  // Cleared before the service goes, under the relay's lock.
  shared_->relay->systemChanged = [this] { PostListReading(); };
  auto started = std::make_shared<bool>(false);
  available_ = worker_.Call([shared = shared_, started] { *started = shared->EnsureClient(); },
                            shared_->limits.commandDeadline) &&
               *started;
  std::lock_guard lock(shared_->listMutex);
  shown_ = shared_->latest;
}

OwnPortService::~OwnPortService() {
  {
    std::lock_guard lock(shared_->relay->mutex);
    shared_->relay->systemChanged = nullptr;
    shared_->relay->listChanged = nullptr;
  }
  // The client goes on the worker, after everything queued before: if the
  // worker is let go, the client stays with it and is stopped there should
  // the system ever answer. The sending thread's reference goes now.
  sender_.reset();
  worker_.Post([shared = shared_] { shared->StopClient(); });
  worker_.Stop(2 * shared_->limits.commandDeadline);
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

bool OwnPortService::Shared::EnsureClient() {
  if (client && client->Gone()) {
    // The system went away; its connections went with it.
    client->Stop();
    client.reset();
    if (linked) ++linkEpoch;
    linked.reset();
  }
  if (client) return true;
  std::unique_ptr<MidiSystemClient> fresh = factory ? factory() : nullptr;
  if (!fresh) return false;
  if (!fresh->Start([relay = relay] { relay->SystemChanged(); })) return false;
  client = std::move(fresh);
  ReadDestinations();
  return true;
}

void OwnPortService::Shared::ReadDestinations() {
  {
    std::lock_guard lock(listMutex);
    readPending = false;
  }
  std::vector<MidiDestination> list;
  if (client && !client->Gone()) list = client->Destinations();
  if (linked) {
    bool present = false;
    for (const MidiDestination& d : list) present = present || d.address == linked->address;
    if (!present) {
      // The destination went (and its connections with it).
      linked.reset();
      ++linkEpoch;
    }
  }
  bool changed = false;
  {
    std::lock_guard lock(listMutex);
    changed = list != latest;
    latest = std::move(list);
  }
  if (changed) relay->ListChanged();
}

std::optional<OwnPortService::Shared::Opened> OwnPortService::Shared::Link(const MidiDestination& destination) {
  if (!EnsureClient()) return std::nullopt;
  if (!client->WaitUntilRunning(limits.runningWait)) return std::nullopt;
  if (!linked || linked->address != destination.address) {
    Unlink();
    switch (client->Connect(destination)) {
      case MidiSystemClient::Link::Made: madeByUs = true; break;
      case MidiSystemClient::Link::AlreadyThere: madeByUs = false; break;
      case MidiSystemClient::Link::Failed: return std::nullopt;
    }
    linked = destination;
  }
  return Opened{client, linkEpoch.load()};
}

void OwnPortService::Shared::Unlink() {
  if (!linked) return;
  if (madeByUs && client && !client->Gone()) {
    // A system that does not run cannot take the connection away now; it
    // stays noted, and the next Link or Unlink tries again.
    if (!client->WaitUntilRunning(limits.runningWait)) return;
    // What was sent last (the note-offs of a preset change) reaches the
    // destination before the connection goes.
    client->WaitUntilDelivered(limits.runningWait);
    client->Disconnect(*linked);
  }
  linked.reset();
  madeByUs = false;
  ++linkEpoch;
}

void OwnPortService::Shared::StopClient() {
  if (!client) return;
  // The last note-offs of the program: worth a longer wait for a busy system.
  if (!client->Gone()) client->WaitUntilDelivered(limits.commandDeadline);
  client->Stop();
  client.reset();
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
  Close();
  if (device >= shown_.size()) return false;
  // An earlier call still waits for a stalled system: this one would too.
  if (worker_.Busy()) return false;
  const MidiDestination destination = shown_[device];
  auto opened = std::make_shared<std::optional<Shared::Opened>>();
  if (!worker_.Call([shared = shared_, destination, opened] { *opened = shared->Link(destination); },
                    shared_->limits.commandDeadline)) {
    worker_.Post([shared = shared_] { shared->Unlink(); });  // a connection made late is taken back
    return false;
  }
  if (!*opened) return false;
  sender_ = (*opened)->client;
  openEpoch_ = (*opened)->linkEpoch;
  openAddress_ = destination.address;
  stalled_ = false;
  return true;
}

bool OwnPortService::Close() {
  if (!openAddress_) return true;
  openAddress_.reset();
  worker_.Post([shared = shared_] { shared->Unlink(); });
  return true;
}

bool OwnPortService::SendShortMsg(uint32_t packed) {
  if (!openAddress_ || stalled_ || !sender_) return false;
  std::array<uint8_t, 3> bytes{};
  const size_t length = ShortMessageBytes(packed, bytes);
  if (length == 0) return false;
  if (sender_->Stalled(shared_->limits.stallLimit)) {
    // Nothing written now would arrive in time.
    stalled_ = true;
    return false;
  }
  return sender_->Write(bytes.data(), length);
}

bool OwnPortService::IsConnectedTo(unsigned device) {
  return openAddress_ && !stalled_ && sender_ && device < shown_.size() && shown_[device].address == *openAddress_ &&
         shared_->linkEpoch.load() == openEpoch_ && !sender_->Stalled(shared_->limits.stallLimit);
}

void OwnPortService::RefreshDevices() {
  {
    std::lock_guard lock(shared_->listMutex);
    shown_ = shared_->latest;
  }
  // The list follows the system through its reports; reading it once more
  // also joins a system that was not there before.
  worker_.Post([shared = shared_] {
    shared->EnsureClient();
    shared->ReadDestinations();
  });
}

void OwnPortService::SetDevicesChangedHandler(std::function<void()> handler) {
  std::lock_guard lock(shared_->relay->mutex);
  shared_->relay->listChanged = std::move(handler);
}
