// SPDX-License-Identifier: MIT
#pragma once

#include <jack/ringbuffer.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

/// Complete MIDI messages on their way from the thread that sends to JACK's
/// process thread: one writer, one reader, no lock and no waiting on either
/// side. Each message takes one record of four bytes: its length, then up to
/// three bytes.
class MessageRing {
 public:
  static constexpr size_t kRecordBytes = 4;

  /// Room for about `capacity` / 4 messages; throws std::bad_alloc.
  explicit MessageRing(size_t capacity);
  ~MessageRing();
  MessageRing(const MessageRing&) = delete;
  MessageRing& operator=(const MessageRing&) = delete;

  /// Writer: queues a message of 1 to 3 bytes; false when the ring is full.
  bool Push(const uint8_t* bytes, size_t length);

  /// Reader: hands the waiting messages in order to `take(bytes, length)`
  /// until it returns false; that message stays first in the ring.
  template <typename Take>
  void Drain(Take&& take) {
    uint8_t record[kRecordBytes];
    while (jack_ringbuffer_read_space(ring_) >= kRecordBytes) {
      jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(record), kRecordBytes);
      if (!take(static_cast<const uint8_t*>(record + 1), static_cast<size_t>(record[0]))) break;
      jack_ringbuffer_read_advance(ring_, kRecordBytes);
      drained_.fetch_add(1, std::memory_order_release);
    }
  }

  /// Messages pushed and drained since the start (any thread).
  uint64_t Pushed() const { return pushed_.load(std::memory_order_acquire); }
  uint64_t Drained() const { return drained_.load(std::memory_order_acquire); }

 private:
  jack_ringbuffer_t* ring_;
  std::atomic<uint64_t> pushed_{0};
  std::atomic<uint64_t> drained_{0};
};
