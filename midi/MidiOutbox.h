// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "midi/MessageRing.h"
#include "midi/MidiOutService.h"

/// How messages are timed on their way out.
struct MidiOutTiming {
  /// Added to every pen event's time; 0: one period of the system plus
  /// MidiOutbox::kLatencyMargin, following the period when it changes.
  std::chrono::nanoseconds latency{0};
  /// A note-on that would go out later than this after its time is dropped,
  /// and so is its note-off: after a stall a musician wants to hear what is
  /// played now, not a burst of what was played seconds ago. Everything else
  /// (note-offs, controllers, resets) still goes.
  std::chrono::nanoseconds staleNoteLimit{std::chrono::milliseconds(250)};
};

/// The cycle a process callback fills, on CLOCK_MONOTONIC.
struct MidiCycle {
  int64_t start = 0;    ///< when its first frame is due, in nanoseconds
  int64_t end = 0;      ///< when the next cycle's first frame is due
  uint32_t frames = 0;  ///< frames in the cycle
  int64_t latency = 0;  ///< added to each message's time
};

/// Quill's MIDI output on its way from the thread that sends to the client
/// that delivers it, for as long as the service lives: a client that goes
/// with its system leaves what it did not deliver to the one that joins next.
///
/// Messages keep their order. Each carries the time of its pen event (0 for
/// none) and goes out at that time plus one latency; a message due later
/// holds back those behind it. A gate marks where the connection changes:
/// the reader delivers what comes before it (to the old destination), then
/// waits at it until the worker, having made the new connection, opens it.
///
/// One thread sends (Push, PushGate), one reads (FillCycle or DrainAll,
/// Beat), the worker opens gates and holds or releases delivery; counters
/// may be read anywhere. Nothing here waits or allocates.
class MidiOutbox {
 public:
  /// Time for a pen event to reach the outbox before the cycle it is due in
  /// is filled: the GUI thread's delay and the process thread's wake-up.
  static constexpr int64_t kLatencyMargin = 3'000'000;

  explicit MidiOutbox(size_t capacity, MidiOutTiming timing = MidiOutTiming{});
  MidiOutbox(const MidiOutbox&) = delete;
  MidiOutbox& operator=(const MidiOutbox&) = delete;

  // The sending thread.
  /// Queues a message of 1 to 3 bytes; false when it cannot be taken (full).
  bool Push(int64_t time, const uint8_t* bytes, size_t length);
  /// Queues a gate; its number (0 when the outbox is full) and in `position`
  /// the count of records before it.
  uint32_t PushGate(uint64_t& position);
  /// Records pushed so far, gates included: a position to wait for.
  uint64_t Pushed() const { return ring_.Pushed(); }

  // The worker.
  /// Opens gate `gate` and every one before it.
  void OpenGate(uint32_t gate);
  /// The last gate pushed (0 before the first).
  uint32_t LastGate() const { return lastGate_.load(std::memory_order_acquire); }
  /// While held nothing is delivered: a client that has just joined waits
  /// until the connection wanted is made again.
  void Hold(bool hold);
  /// Records the reader has taken so far, gates included.
  uint64_t Taken() const { return ring_.Drained(); }

  // The reader.
  /// The latency of a cycle of `frames` at `rate` frames per second.
  int64_t LatencyFor(uint32_t frames, uint32_t rate) const;
  /// The latency asked for by hand; 0 when none was.
  int64_t FixedLatency() const { return timing_.latency.count(); }
  /// Fills one cycle: every message due before the cycle ends goes through
  /// `write(frame, bytes, length)` at its frame, in order (a message without
  /// time, or one already late, at the first free frame). `write` returns
  /// false when the port has no room left; the rest waits for the next cycle.
  template <typename Write>
  void FillCycle(const MidiCycle& cycle, Write&& write);
  /// Hands on everything up to the next closed gate, `send(due, bytes,
  /// length)` with due = time plus `latency` (0: at once, as for every
  /// message when `latency` is 0). `send` returns false when it cannot take
  /// more now.
  template <typename Send>
  void DrainAll(int64_t now, int64_t latency, Send&& send);
  /// The reader ran (a cycle, or joined its system) at `now`.
  void Beat(int64_t now);
  /// True when the reader beats and has not done so for `limit`.
  bool Stalled(int64_t now, int64_t limit) const;

  // Anyone.
  MidiDeliveryCounts Counts() const;
  /// Passes a wake-up to the reader's event file descriptor (a non-blocking
  /// eventfd) whenever there may be more to deliver: a message pushed, a gate
  /// opened, delivery released. For a reader that waits for messages.
  void SetWakeDescriptor(int fd) { wakeFd_.store(fd, std::memory_order_release); }

 private:
  using Record = MessageRing::Message;

  void Wake();
  /// The first message that may go now: gates the worker has opened and the
  /// note-offs of dropped notes are taken out of the way; null at a closed
  /// gate or when nothing waits.
  const Record* NextToDeliver();
  /// A gate the worker has opened is let through; a closed one stops delivery.
  bool Passes(const Record& gate) const;
  /// A stale note-on is dropped and remembered, so that its note-off is too.
  bool DropsStale(const Record& record, int64_t lateBy);
  /// The note-off of a note-on dropped as stale is dropped as well.
  bool DropsNoteOffOfDropped(const Record& record);
  void Count(std::atomic<uint64_t>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }

  MessageRing ring_;
  const MidiOutTiming timing_;
  std::atomic<uint32_t> lastGate_{0};    ///< the sender's
  std::atomic<uint32_t> openedGate_{0};  ///< the worker's
  std::atomic<bool> held_{false};
  std::atomic<int64_t> lastBeat_{0};  ///< 0: the reader never beat
  std::atomic<int> wakeFd_{-1};
  std::atomic<uint64_t> timed_{0};
  std::atomic<uint64_t> late_{0};
  std::atomic<uint64_t> dropped_{0};
  /// Per channel and key, note-ons dropped whose note-offs are still to come.
  std::array<uint8_t, 16 * 128> droppedOns_{};
};

template <typename Write>
void MidiOutbox::FillCycle(const MidiCycle& cycle, Write&& write) {
  if (held_.load(std::memory_order_acquire) || cycle.frames == 0) return;
  const int64_t span = std::max<int64_t>(cycle.end - cycle.start, 1);
  uint32_t firstFree = 0;  // events go into a cycle in frame order
  while (const Record* record = NextToDeliver()) {
    uint32_t frame = firstFree;
    bool late = false;
    if (record->time != 0) {
      const int64_t due = record->time + cycle.latency;
      if (due >= cycle.end) break;  // a later cycle's: what follows waits behind it
      if (due < cycle.start) {
        if (DropsStale(*record, cycle.start - due)) {
          ring_.Pop();
          continue;
        }
        late = true;
      } else {
        const auto at = static_cast<uint32_t>((due - cycle.start) * cycle.frames / span);
        late = at < firstFree;
        frame = std::max(at, firstFree);
      }
    }
    frame = std::min(frame, cycle.frames - 1);
    if (!write(frame, record->bytes.data(), static_cast<size_t>(record->length))) break;
    if (record->time != 0) Count(timed_);
    if (late) Count(late_);
    firstFree = frame;
    ring_.Pop();
  }
}

template <typename Send>
void MidiOutbox::DrainAll(int64_t now, int64_t latency, Send&& send) {
  if (held_.load(std::memory_order_acquire)) return;
  while (const Record* record = NextToDeliver()) {
    int64_t due = 0;
    bool late = false;
    if (record->time != 0) {
      const int64_t wanted = record->time + latency;
      if (wanted < now && DropsStale(*record, now - wanted)) {
        ring_.Pop();
        continue;
      }
      if (latency > 0) {
        due = wanted;
        late = wanted < now;
      }
    }
    if (!send(due, record->bytes.data(), static_cast<size_t>(record->length))) break;
    if (due != 0) Count(timed_);
    if (late) Count(late_);
    ring_.Pop();
  }
}
