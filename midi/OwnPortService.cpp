// SPDX-License-Identifier: MIT
#include "midi/OwnPortService.h"

#include <array>
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

namespace {
// Clients that could not be stopped (their thread was cancelled inside the
// system's library, which may hold its own locks) are never touched again.
void KeepForever(std::shared_ptr<MidiSystemClient> client) {
  static auto* kept = new std::vector<std::shared_ptr<MidiSystemClient>>();
  if (client) kept->push_back(std::move(client));
}
}  // namespace

OwnPortService::OwnPortService(ClientFactory factory, MidiWaitLimits limits)
    : factory_(std::move(factory)), limits_(limits), relay_(std::make_shared<ChangeRelay>()) {
  relay_->systemChanged = [this] {
    {
      std::lock_guard lock(listMutex_);
      if (readPending_) return;
      readPending_ = true;
    }
    worker_.Post([this] { ReadDestinations(); });
  };
  auto started = std::make_shared<bool>(false);
  available_ = worker_.Call([this, started] { *started = EnsureClient(); }, limits_.commandDeadline) && *started;
  std::lock_guard lock(listMutex_);
  shown_ = latest_;
}

OwnPortService::~OwnPortService() {
  {
    std::lock_guard lock(relay_->mutex);
    relay_->systemChanged = nullptr;
    relay_->listChanged = nullptr;
  }
  auto stopped = std::make_shared<bool>(false);
  worker_.Post([this, stopped] {
    StopClient();
    *stopped = true;
  });
  if (!worker_.Stop(2 * limits_.commandDeadline) || !*stopped) {
    KeepForever(std::move(connection_.client));
    KeepForever(std::move(sender_));
  }
}

// ---- Worker thread

bool OwnPortService::EnsureClient() {
  if (connection_.client && connection_.client->Gone()) {
    // The system went away; its connections went with it.
    connection_.client->Stop();
    connection_.client.reset();
    if (connection_.linked) ++linkEpoch_;
    connection_.linked.reset();
  }
  if (connection_.client) return true;
  std::unique_ptr<MidiSystemClient> client = factory_ ? factory_() : nullptr;
  if (!client) return false;
  if (!client->Start([relay = relay_] { relay->SystemChanged(); })) return false;
  connection_.client = std::move(client);
  ReadDestinations();
  return true;
}

void OwnPortService::ReadDestinations() {
  {
    std::lock_guard lock(listMutex_);
    readPending_ = false;
  }
  std::vector<MidiDestination> list;
  MidiSystemClient* client = connection_.client.get();
  if (client && !client->Gone()) list = client->Destinations();
  if (connection_.linked) {
    bool present = false;
    for (const MidiDestination& d : list) present = present || d.address == connection_.linked->address;
    if (!present) {
      // The destination went (and its connections with it).
      connection_.linked.reset();
      ++linkEpoch_;
    }
  }
  bool changed = false;
  {
    std::lock_guard lock(listMutex_);
    changed = list != latest_;
    latest_ = std::move(list);
  }
  if (changed) relay_->ListChanged();
}

std::optional<OwnPortService::Opened> OwnPortService::Link(const MidiDestination& destination) {
  if (!EnsureClient()) return std::nullopt;
  MidiSystemClient& client = *connection_.client;
  if (!client.WaitUntilRunning(limits_.runningWait)) return std::nullopt;
  if (!connection_.linked || connection_.linked->address != destination.address) {
    Unlink();
    switch (client.Connect(destination)) {
      case MidiSystemClient::Link::Made: connection_.madeByUs = true; break;
      case MidiSystemClient::Link::AlreadyThere: connection_.madeByUs = false; break;
      case MidiSystemClient::Link::Failed: return std::nullopt;
    }
    connection_.linked = destination;
  }
  return Opened{connection_.client, linkEpoch_.load()};
}

void OwnPortService::Unlink() {
  if (!connection_.linked) return;
  MidiSystemClient* client = connection_.client.get();
  if (connection_.madeByUs && client && !client->Gone()) {
    // A system that does not run cannot take the connection away now; it
    // stays noted, and the next Link or Unlink tries again.
    if (!client->WaitUntilRunning(limits_.runningWait)) return;
    // What was sent last (the note-offs of a preset change) reaches the
    // destination before the connection goes.
    client->WaitUntilDelivered(limits_.runningWait);
    client->Disconnect(*connection_.linked);
  }
  connection_.linked.reset();
  connection_.madeByUs = false;
  ++linkEpoch_;
}

void OwnPortService::StopClient() {
  if (!connection_.client) return;
  // The last note-offs of the program: worth a longer wait for a busy system.
  if (!connection_.client->Gone()) connection_.client->WaitUntilDelivered(limits_.commandDeadline);
  connection_.client->Stop();
  connection_.client.reset();
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
  auto opened = std::make_shared<std::optional<Opened>>();
  if (!worker_.Call([this, destination, opened] { *opened = Link(destination); }, limits_.commandDeadline)) {
    worker_.Post([this] { Unlink(); });  // a connection made late is taken back
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
  worker_.Post([this] { Unlink(); });
  return true;
}

bool OwnPortService::SendShortMsg(uint32_t packed) {
  if (!openAddress_ || stalled_ || !sender_) return false;
  std::array<uint8_t, 3> bytes{};
  const size_t length = ShortMessageBytes(packed, bytes);
  if (length == 0) return false;
  if (sender_->Stalled(limits_.stallLimit)) {
    // Nothing written now would arrive in time.
    stalled_ = true;
    return false;
  }
  return sender_->Write(bytes.data(), length);
}

bool OwnPortService::IsConnectedTo(unsigned device) {
  return openAddress_ && !stalled_ && sender_ && device < shown_.size() && shown_[device].address == *openAddress_ &&
         linkEpoch_.load() == openEpoch_ && !sender_->Stalled(limits_.stallLimit);
}

void OwnPortService::RefreshDevices() {
  {
    std::lock_guard lock(listMutex_);
    shown_ = latest_;
  }
  // The list follows the system through its reports; reading it once more
  // also joins a system that was not there before.
  worker_.Post([this] {
    EnsureClient();
    ReadDestinations();
  });
}

void OwnPortService::SetDevicesChangedHandler(std::function<void()> handler) {
  std::lock_guard lock(relay_->mutex);
  relay_->listChanged = std::move(handler);
}
