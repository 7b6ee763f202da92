// SPDX-License-Identifier: MIT
#include "midi/alsa/AlsaClient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <utility>
#include <vector>

#include "midi/alsa/AlsaFormats.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr const char* kSequencerDevice = "/dev/snd/seq";
constexpr unsigned kDestinationCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
// When the kernel had no room, delivery is tried again this soon.
constexpr int kRetryMilliseconds = 1;

// The monotonic clock, which pen events are timed on.
int64_t Now() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }
}  // namespace

AlsaClient::AlsaClient(std::string clientName, std::string portName)
    : clientName_(std::move(clientName)), portName_(std::move(portName)) {}

AlsaClient::~AlsaClient() { Stop(); }

bool AlsaClient::SequencerPresent() { return ::access(kSequencerDevice, F_OK) == 0; }

bool AlsaClient::Start(std::function<void()> destinationsChanged, std::shared_ptr<MidiOutbox> outbox) {
  // Without the device node there is no sequencer; asking alsa-lib anyway
  // would only print its complaint.
  if (seq_ || !outbox || !SequencerPresent()) return false;
  if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
    seq_ = nullptr;
    return false;
  }
  changed_ = std::move(destinationsChanged);
  outbox_ = std::move(outbox);
  snd_seq_set_client_name(seq_, clientName_.c_str());
  port_ = snd_seq_create_simple_port(seq_, portName_.c_str(), SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                     SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  // The sequencer announces clients and ports coming and going to a port
  // that no one else sees.
  const int announcements = snd_seq_create_simple_port(
      seq_, "announcements", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT, SND_SEQ_PORT_TYPE_APPLICATION);
  bool ok = port_ >= 0 && announcements >= 0 &&
            snd_seq_connect_from(seq_, announcements, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) >= 0 &&
            snd_midi_event_new(16, &encoder_) >= 0 && ::pipe2(wakePipe_, O_CLOEXEC) == 0 &&
            (messagesWaiting_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) >= 0;
  if (ok && outbox_->FixedLatency() > 0) {
    // A queue of our own, its real time read against the monotonic clock
    // once it runs: an event due at a monotonic time goes on the queue at
    // that time less the queue's start.
    queue_ = snd_seq_alloc_named_queue(seq_, "Quill");
    snd_seq_queue_status_t* status = nullptr;
    snd_seq_queue_status_alloca(&status);
    ok = queue_ >= 0 && snd_seq_start_queue(seq_, queue_, nullptr) >= 0 && snd_seq_drain_output(seq_) >= 0 &&
         snd_seq_get_queue_status(seq_, queue_, status) >= 0;
    if (ok) {
      const snd_seq_real_time_t* running = snd_seq_queue_status_get_real_time(status);
      queueEpoch_ = Now() - (int64_t{running->tv_sec} * 1'000'000'000 + running->tv_nsec);
    }
  }
  if (ok) {
    try {
      watcher_ = std::thread([this] { Watch(); });
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok) {
    Stop();
    return false;
  }
  outbox_->SetWakeDescriptor(messagesWaiting_);
  return true;
}

void AlsaClient::Stop() {
  if (outbox_) outbox_->SetWakeDescriptor(-1);
  if (watcher_.joinable()) {
    const char wake = 0;
    while (::write(wakePipe_[1], &wake, 1) < 0 && errno == EINTR) {
    }
    watcher_.join();
  }
  for (int* fd : {&wakePipe_[0], &wakePipe_[1], &messagesWaiting_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  if (encoder_) snd_midi_event_free(encoder_);
  encoder_ = nullptr;
  if (seq_ && queue_ >= 0) snd_seq_free_queue(seq_, queue_);
  queue_ = -1;
  if (seq_) snd_seq_close(seq_);
  seq_ = nullptr;
}

void AlsaClient::Watch() {
  std::vector<pollfd> fds(2 + static_cast<size_t>(snd_seq_poll_descriptors_count(seq_, POLLIN)));
  fds[0] = {wakePipe_[0], POLLIN, 0};
  fds[1] = {messagesWaiting_, POLLIN, 0};
  const int count = snd_seq_poll_descriptors(seq_, fds.data() + 2, static_cast<unsigned>(fds.size() - 2), POLLIN);
  fds.resize(2 + static_cast<size_t>(count));
  bool backlog = false;
  for (;;) {
    if (::poll(fds.data(), fds.size(), backlog ? kRetryMilliseconds : -1) < 0 && errno != EINTR) return;
    if (fds[0].revents != 0) return;
    if (fds[1].revents != 0) {
      uint64_t wakeUps = 0;
      [[maybe_unused]] const ssize_t taken = ::read(messagesWaiting_, &wakeUps, sizeof wakeUps);
    }
    backlog = !Deliver();
    // Whatever was announced, the list is read again as a whole.
    snd_seq_event_t* event = nullptr;
    bool any = false;
    while (snd_seq_event_input(seq_, &event) >= 0) any = true;
    if (any && changed_) changed_();
  }
}

bool AlsaClient::Deliver() {
  bool room = true;
  const int64_t now = Now();
  outbox_->DrainAll(now, outbox_->FixedLatency(), [&](int64_t due, const uint8_t* bytes, size_t length) {
    snd_seq_event_t event;
    // Not one event: not sent, and not in the way of the rest.
    if (!EncodeSequencerEvent(encoder_, bytes, length, event)) return true;
    snd_seq_ev_set_source(&event, port_);
    snd_seq_ev_set_subs(&event);
    int64_t goesOut = now;
    if (queue_ >= 0) {
      int64_t last = lastQueued_;
      const int64_t at = QueueTime(due, now, queueEpoch_, last);
      const snd_seq_real_time_t time = ToRealTime(at);
      snd_seq_ev_schedule_real(&event, queue_, 0, &time);
      room = snd_seq_event_output_direct(seq_, &event) >= 0;
      if (!room) return false;
      lastQueued_ = last;
      goesOut = queueEpoch_ + at;
    } else {
      snd_seq_ev_set_direct(&event);
      room = snd_seq_event_output_direct(seq_, &event) >= 0;
      if (!room) return false;
    }
    lastDue_.store(goesOut, std::memory_order_release);
    return true;
  });
  return room;
}

bool AlsaClient::WaitUntilDelivered(uint64_t position, std::chrono::milliseconds limit) {
  if (!seq_) return false;
  const auto until = Clock::now() + limit;
  // Handed to the kernel, then dispatched by its queue.
  while (outbox_->Taken() < position || Now() < lastDue_.load(std::memory_order_acquire)) {
    if (Clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::vector<MidiDestination> AlsaClient::Destinations() {
  std::vector<MidiDestination> destinations;
  if (!seq_) return destinations;
  snd_seq_client_info_t* clientInfo = nullptr;
  snd_seq_port_info_t* portInfo = nullptr;
  snd_seq_client_info_alloca(&clientInfo);
  snd_seq_port_info_alloca(&portInfo);
  const int own = snd_seq_client_id(seq_);
  snd_seq_client_info_set_client(clientInfo, -1);
  while (snd_seq_query_next_client(seq_, clientInfo) >= 0) {
    const int client = snd_seq_client_info_get_client(clientInfo);
    if (client == own || client == SND_SEQ_CLIENT_SYSTEM) continue;
    snd_seq_port_info_set_client(portInfo, client);
    snd_seq_port_info_set_port(portInfo, -1);
    while (snd_seq_query_next_port(seq_, portInfo) >= 0) {
      const unsigned caps = snd_seq_port_info_get_capability(portInfo);
      if ((caps & kDestinationCaps) != kDestinationCaps || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
      destinations.push_back(AlsaDestination(snd_seq_client_info_get_name(clientInfo),
                                             snd_seq_port_info_get_name(portInfo), client,
                                             snd_seq_port_info_get_port(portInfo)));
    }
  }
  return destinations;
}

std::optional<MidiDestination> AlsaClient::DestinationAt(int client, int port) {
  snd_seq_client_info_t* clientInfo = nullptr;
  snd_seq_port_info_t* portInfo = nullptr;
  snd_seq_client_info_alloca(&clientInfo);
  snd_seq_port_info_alloca(&portInfo);
  if (snd_seq_get_any_client_info(seq_, client, clientInfo) < 0) return std::nullopt;
  if (snd_seq_get_any_port_info(seq_, client, port, portInfo) < 0) return std::nullopt;
  return AlsaDestination(snd_seq_client_info_get_name(clientInfo), snd_seq_port_info_get_name(portInfo), client, port);
}

MidiSystemClient::Link AlsaClient::Connect(const MidiDestination& destination) {
  const auto address = ParseAlsaAddress(destination.address);
  if (!seq_ || !address) return Link::Failed;
  // Numbers are given out again: the port there must still be the one chosen.
  const auto there = DestinationAt(address->first, address->second);
  if (!there || there->name != destination.name) return Link::Failed;
  const int result = snd_seq_connect_to(seq_, port_, address->first, address->second);
  if (result == -EBUSY) return Link::AlreadyThere;
  return result >= 0 ? Link::Made : Link::Failed;
}

bool AlsaClient::Disconnect(const MidiDestination& destination) {
  const auto address = ParseAlsaAddress(destination.address);
  return seq_ && address && snd_seq_disconnect_to(seq_, port_, address->first, address->second) >= 0;
}

bool AlsaClient::IsConnected(const MidiDestination& destination) {
  const auto address = ParseAlsaAddress(destination.address);
  if (!seq_ || !address) return false;
  snd_seq_port_subscribe_t* subscription = nullptr;
  snd_seq_port_subscribe_alloca(&subscription);
  const snd_seq_addr_t sender{static_cast<unsigned char>(snd_seq_client_id(seq_)), static_cast<unsigned char>(port_)};
  const snd_seq_addr_t dest{static_cast<unsigned char>(address->first), static_cast<unsigned char>(address->second)};
  snd_seq_port_subscribe_set_sender(subscription, &sender);
  snd_seq_port_subscribe_set_dest(subscription, &dest);
  return snd_seq_get_port_subscription(seq_, subscription) >= 0;
}
