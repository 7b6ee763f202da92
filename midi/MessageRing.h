// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

/// Complete MIDI messages on their way from the thread that sends to the
/// thread that delivers them (JACK's process callback), with gates among them
/// where the connection changes: one writer, one
/// reader, no lock and no waiting on either side. The writer fills a record,
/// then publishes it by moving the head on with release ordering; the reader
/// loads the head with acquire ordering before it reads a record, so it never
/// sees one half-written, on any processor. The tail goes back the same way:
/// the writer fills a record again only after the reader has let it go.
class MessageRing {
 public:
  /// One message and when it is due, or a gate.
  struct Message {
    int64_t time = 0;    ///< nanoseconds on CLOCK_MONOTONIC; 0: as soon as possible
    uint32_t gate = 0;   ///< a gate's number (then no bytes); 0 for a message
    uint8_t length = 0;  ///< 1 to 3 for a message
    std::array<uint8_t, 3> bytes{};

    bool IsGate() const { return gate != 0; }
  };

  /// Room for `capacity` messages, rounded up to a power of two; the memory is
  /// taken, touched and (where allowed) locked here, once. Throws
  /// std::bad_alloc.
  explicit MessageRing(size_t capacity);
  ~MessageRing();
  MessageRing(const MessageRing&) = delete;
  MessageRing& operator=(const MessageRing&) = delete;

  /// Writer: queues a message of 1 to 3 bytes; false, and nothing queued, when
  /// the ring is full or the length is not that of a short message.
  bool Push(int64_t time, const uint8_t* bytes, size_t length);
  /// Writer: queues gate number `gate` (not 0); false when the ring is full.
  bool PushGate(uint32_t gate);

  /// Reader: the oldest message or gate, left in the ring (a message due in a
  /// later cycle, or a gate still closed, stays first); null when there is
  /// none. It stays valid until Pop. A message of another length than 1 to 3
  /// is never returned: it is dropped.
  const Message* Front();
  /// Reader: takes the message that Front returned.
  void Pop();

  /// Messages pushed, and taken out (popped or dropped), since the start;
  /// any thread may ask.
  uint64_t Pushed() const { return head_.load(std::memory_order_acquire); }
  uint64_t Drained() const { return tail_.load(std::memory_order_acquire); }
  size_t Capacity() const { return mask_ + 1; }

 private:
  size_t mask_;
  std::unique_ptr<Message[]> records_;
  bool locked_ = false;
  // Each counter on a cache line of its own, so that the two threads do not
  // invalidate each other's line at every message.
  alignas(64) std::atomic<uint64_t> head_{0};  ///< messages published; the writer's
  alignas(64) std::atomic<uint64_t> tail_{0};  ///< messages let go; the reader's
};
