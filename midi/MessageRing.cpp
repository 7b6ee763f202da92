// SPDX-License-Identifier: MIT
#include "midi/MessageRing.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <new>

namespace {
// Far beyond any use, and small enough that rounding up cannot overflow.
constexpr size_t kMaxCapacity = size_t{1} << 24;

size_t RecordCount(size_t capacity) {
  if (capacity > kMaxCapacity) throw std::bad_alloc();
  return std::bit_ceil(std::max<size_t>(capacity, 1));
}

bool ValidLength(size_t length) { return length >= 1 && length <= 3; }

bool ValidRecord(const MessageRing::Message& record) {
  return record.IsGate() ? record.length == 0 : ValidLength(record.length);
}
}  // namespace

MessageRing::MessageRing(size_t capacity)
    : mask_(RecordCount(capacity) - 1),
      // Value-initialised: every page is written now, not in the process
      // callback's first pass over it.
      records_(new Message[mask_ + 1]()) {
  // Kept in memory, so the process thread never waits for a page to come back
  // from swap. A limit on locked memory only costs that.
  locked_ = ::mlock(records_.get(), Capacity() * sizeof(Message)) == 0;
}

MessageRing::~MessageRing() {
  if (locked_) ::munlock(records_.get(), Capacity() * sizeof(Message));
}

bool MessageRing::Push(int64_t time, const uint8_t* bytes, size_t length) {
  if (!ValidLength(length)) return false;
  const uint64_t head = head_.load(std::memory_order_relaxed);
  // Acquire: the reader is done with the record before it is filled again.
  if (head - tail_.load(std::memory_order_acquire) > mask_) return false;
  Message& message = records_[head & mask_];
  message.time = time;
  message.gate = 0;
  message.length = static_cast<uint8_t>(length);
  message.bytes = {};
  std::copy_n(bytes, length, message.bytes.begin());
  head_.store(head + 1, std::memory_order_release);
  return true;
}

bool MessageRing::PushGate(uint32_t gate) {
  if (gate == 0) return false;
  const uint64_t head = head_.load(std::memory_order_relaxed);
  if (head - tail_.load(std::memory_order_acquire) > mask_) return false;
  Message& record = records_[head & mask_];
  record = Message{};
  record.gate = gate;
  head_.store(head + 1, std::memory_order_release);
  return true;
}

const MessageRing::Message* MessageRing::Front() {
  uint64_t tail = tail_.load(std::memory_order_relaxed);
  while (tail != head_.load(std::memory_order_acquire)) {
    const Message& message = records_[tail & mask_];
    if (ValidRecord(message)) return &message;
    // Push writes no such record; should one appear all the same, it is
    // dropped rather than handed on with a length nobody checked.
    tail_.store(++tail, std::memory_order_release);
  }
  return nullptr;
}

void MessageRing::Pop() {
  const uint64_t tail = tail_.load(std::memory_order_relaxed);
  if (tail != head_.load(std::memory_order_acquire)) tail_.store(tail + 1, std::memory_order_release);
}
