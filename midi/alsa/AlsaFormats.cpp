// SPDX-License-Identifier: MIT
#include "midi/alsa/AlsaFormats.h"

#include <algorithm>
#include <charconv>

namespace {
bool IsRunNumberGroup(std::string_view inside) {
  if (inside.empty()) return false;
  for (char c : inside) {
    if ((c < '0' || c > '9') && c != ':') return false;
  }
  return true;
}
}  // namespace

std::string WithoutRunNumbers(std::string_view name) {
  std::string kept;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '(') {
      const size_t close = name.find(')', i);
      if (close != std::string_view::npos && IsRunNumberGroup(name.substr(i + 1, close - i - 1))) {
        i = close;
        continue;
      }
    }
    // Blanks collapse to one, so that "Synth (12) input" reads "Synth input".
    if (name[i] == ' ' && (kept.empty() || kept.back() == ' ')) continue;
    kept += name[i];
  }
  while (!kept.empty() && kept.back() == ' ') kept.pop_back();
  return kept;
}

MidiDestination AlsaDestination(std::string_view clientName, std::string_view portName, int client, int port) {
  const std::string address = std::to_string(client) + ":" + std::to_string(port);
  const std::string both = std::string(clientName) + ":" + std::string(portName);
  return {both + " " + address, WithoutRunNumbers(clientName) + ":" + WithoutRunNumbers(portName), address};
}

std::optional<std::pair<int, int>> ParseAlsaAddress(std::string_view address) {
  const size_t colon = address.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  int client = -1, port = -1;
  const char* end = address.data() + address.size();
  const auto first = std::from_chars(address.data(), address.data() + colon, client);
  const auto second = std::from_chars(address.data() + colon + 1, end, port);
  if (first.ec != std::errc() || first.ptr != address.data() + colon || second.ec != std::errc() || second.ptr != end ||
      client < 0 || port < 0 || colon == 0) {
    return std::nullopt;
  }
  return std::make_pair(client, port);
}

bool EncodeSequencerEvent(snd_midi_event_t* encoder, const uint8_t* bytes, size_t length, snd_seq_event_t& event) {
  snd_midi_event_reset_encode(encoder);
  snd_seq_ev_clear(&event);
  const long used = snd_midi_event_encode(encoder, bytes, static_cast<long>(length), &event);
  return used == static_cast<long>(length) && event.type != SND_SEQ_EVENT_NONE;
}

int64_t QueueTime(int64_t due, int64_t now, int64_t epoch, int64_t& last) {
  const int64_t at = std::max(std::max(due, now) - epoch, last);
  last = at;
  return at;
}

snd_seq_real_time_t ToRealTime(int64_t nanoseconds) {
  const int64_t kept = std::max<int64_t>(nanoseconds, 0);
  snd_seq_real_time_t time;
  time.tv_sec = static_cast<unsigned int>(kept / 1'000'000'000);
  time.tv_nsec = static_cast<unsigned int>(kept % 1'000'000'000);
  return time;
}
