// SPDX-License-Identifier: MIT
#include "midi/MidiOutbox.h"

#include <unistd.h>

#include <cerrno>

namespace {
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOnStatus = 0x90;

bool IsNoteOn(const MessageRing::Message& m) {
  return m.length == 3 && (m.bytes[0] & 0xF0) == kNoteOnStatus && m.bytes[2] != 0;
}

bool IsNoteOff(const MessageRing::Message& m) {
  const uint8_t kind = m.bytes[0] & 0xF0;
  return m.length == 3 && (kind == kNoteOffStatus || (kind == kNoteOnStatus && m.bytes[2] == 0));
}

size_t KeyIndex(const MessageRing::Message& m) { return (m.bytes[0] & 0x0Fu) * 128u + (m.bytes[1] & 0x7Fu); }
}  // namespace

MidiOutbox::MidiOutbox(size_t capacity, MidiOutTiming timing) : ring_(capacity), timing_(timing) {}

bool MidiOutbox::Push(int64_t time, const uint8_t* bytes, size_t length) {
  if (!ring_.Push(time, bytes, length)) return false;
  Wake();
  return true;
}

void MidiOutbox::Wake() {
  if (const int fd = wakeFd_.load(std::memory_order_acquire); fd >= 0) {
    const uint64_t one = 1;
    // A reader that has not caught up yet counts the wake-ups; a full
    // counter already says there is something to read.
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }
}

void MidiOutbox::Hold(bool hold) {
  held_.store(hold, std::memory_order_release);
  if (!hold) Wake();
}

uint32_t MidiOutbox::PushGate(uint64_t& position) {
  const uint32_t gate = lastGate_.load(std::memory_order_relaxed) + 1;
  position = ring_.Pushed();
  if (!ring_.PushGate(gate)) return 0;
  lastGate_.store(gate, std::memory_order_release);
  return gate;
}

void MidiOutbox::OpenGate(uint32_t gate) {
  if (gate <= openedGate_.load(std::memory_order_relaxed)) return;
  openedGate_.store(gate, std::memory_order_release);
  Wake();
}

bool MidiOutbox::Passes(const Record& gate) const { return gate.gate <= openedGate_.load(std::memory_order_acquire); }

const MidiOutbox::Record* MidiOutbox::NextToDeliver() {
  while (const Record* record = ring_.Front()) {
    if (record->IsGate()) {
      if (!Passes(*record)) return nullptr;
    } else if (!DropsNoteOffOfDropped(*record)) {
      return record;
    }
    ring_.Pop();
  }
  return nullptr;
}

int64_t MidiOutbox::LatencyFor(uint32_t frames, uint32_t rate) const {
  if (timing_.latency.count() > 0) return timing_.latency.count();
  const int64_t period = rate > 0 ? static_cast<int64_t>(frames) * 1'000'000'000 / rate : 0;
  return period + kLatencyMargin;
}

bool MidiOutbox::DropsStale(const Record& record, int64_t lateBy) {
  if (lateBy <= timing_.staleNoteLimit.count() || !IsNoteOn(record)) return false;
  uint8_t& dropped = droppedOns_[KeyIndex(record)];
  if (dropped < UINT8_MAX) ++dropped;
  Count(dropped_);
  return true;
}

bool MidiOutbox::DropsNoteOffOfDropped(const Record& record) {
  if (!IsNoteOff(record)) return false;
  uint8_t& dropped = droppedOns_[KeyIndex(record)];
  if (dropped == 0) return false;
  --dropped;
  return true;
}

void MidiOutbox::Beat(int64_t now) { lastBeat_.store(now, std::memory_order_release); }

bool MidiOutbox::Stalled(int64_t now, int64_t limit) const {
  const int64_t last = lastBeat_.load(std::memory_order_acquire);
  return last != 0 && now - last > limit;
}

MidiDeliveryCounts MidiOutbox::Counts() const {
  return {timed_.load(std::memory_order_relaxed), late_.load(std::memory_order_relaxed),
          dropped_.load(std::memory_order_relaxed)};
}
