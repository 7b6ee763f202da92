// SPDX-License-Identifier: MIT
#include "midi/jack/MessageRing.h"

#include <new>

MessageRing::MessageRing(size_t capacity) : ring_(jack_ringbuffer_create(capacity)) {
  if (!ring_) throw std::bad_alloc();
  // Kept in memory: the process thread must never wait for a page.
  jack_ringbuffer_mlock(ring_);
}

MessageRing::~MessageRing() { jack_ringbuffer_free(ring_); }

bool MessageRing::Push(const uint8_t* bytes, size_t length) {
  if (length == 0 || length >= kRecordBytes) return false;
  if (jack_ringbuffer_write_space(ring_) < kRecordBytes) return false;
  uint8_t record[kRecordBytes] = {static_cast<uint8_t>(length)};
  for (size_t i = 0; i < length; ++i) record[i + 1] = bytes[i];
  jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(record), kRecordBytes);
  pushed_.fetch_add(1, std::memory_order_release);
  return true;
}
