// SPDX-License-Identifier: MIT
#include "midi/alsa/AlsaClient.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <utility>
#include <vector>

#include "midi/alsa/AlsaFormats.h"

namespace {
constexpr const char* kSequencerDevice = "/dev/snd/seq";
constexpr unsigned kDestinationCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
}  // namespace

AlsaClient::AlsaClient(std::string clientName, std::string portName)
    : clientName_(std::move(clientName)), portName_(std::move(portName)) {}

AlsaClient::~AlsaClient() { Stop(); }

bool AlsaClient::SequencerPresent() { return ::access(kSequencerDevice, F_OK) == 0; }

bool AlsaClient::Start(std::function<void()> destinationsChanged) {
  // Without the device node there is no sequencer; asking alsa-lib anyway
  // would only print its complaint.
  if (seq_ || !SequencerPresent()) return false;
  if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
    seq_ = nullptr;
    return false;
  }
  changed_ = std::move(destinationsChanged);
  snd_seq_set_client_name(seq_, clientName_.c_str());
  port_ = snd_seq_create_simple_port(seq_, portName_.c_str(), SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                     SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  // The sequencer announces clients and ports coming and going to a port
  // that no one else sees.
  const int announcements = snd_seq_create_simple_port(
      seq_, "announcements", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT, SND_SEQ_PORT_TYPE_APPLICATION);
  bool ok = port_ >= 0 && announcements >= 0 &&
            snd_seq_connect_from(seq_, announcements, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) >= 0 &&
            snd_midi_event_new(16, &encoder_) >= 0 && ::pipe2(wakePipe_, O_CLOEXEC) == 0;
  if (ok) {
    try {
      watcher_ = std::thread([this] { WatchAnnouncements(); });
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok) {
    Stop();
    return false;
  }
  running_.store(true);
  return true;
}

void AlsaClient::Stop() {
  running_.store(false);
  if (watcher_.joinable()) {
    const char wake = 0;
    while (::write(wakePipe_[1], &wake, 1) < 0 && errno == EINTR) {
    }
    watcher_.join();
  }
  for (int& fd : wakePipe_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (encoder_) snd_midi_event_free(encoder_);
  encoder_ = nullptr;
  if (seq_) snd_seq_close(seq_);
  seq_ = nullptr;
}

void AlsaClient::WatchAnnouncements() {
  std::vector<pollfd> fds(1 + static_cast<size_t>(snd_seq_poll_descriptors_count(seq_, POLLIN)));
  fds[0] = {wakePipe_[0], POLLIN, 0};
  const int count = snd_seq_poll_descriptors(seq_, fds.data() + 1, static_cast<unsigned>(fds.size() - 1), POLLIN);
  fds.resize(1 + static_cast<size_t>(count));
  for (;;) {
    if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
    if (fds[0].revents != 0) return;
    // Whatever was announced, the list is read again as a whole.
    snd_seq_event_t* event = nullptr;
    bool any = false;
    while (snd_seq_event_input(seq_, &event) >= 0) any = true;
    if (any && changed_) changed_();
  }
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

bool AlsaClient::Write(const uint8_t* bytes, size_t length) {
  if (!running_.load()) return false;
  snd_seq_event_t event;
  if (!EncodeSequencerEvent(encoder_, bytes, length, event)) return false;
  snd_seq_ev_set_source(&event, port_);
  snd_seq_ev_set_subs(&event);
  snd_seq_ev_set_direct(&event);
  return snd_seq_event_output_direct(seq_, &event) >= 0;
}
