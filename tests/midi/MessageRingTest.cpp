// SPDX-License-Identifier: MIT
// The ring between the sending thread and JACK's process callback, read as
// the callback reads it: a cycle takes what fits in the port's buffer and
// leaves the rest first in the ring. The two-thread test is the one that
// ThreadSanitizer (scripts/test --tsan) watches for a record read before it
// was published or written again before it was let go.
#include "midi/MessageRing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {
using Message = MessageRing::Message;

std::string Bytes(const Message& message) {
  return std::string(reinterpret_cast<const char*>(message.bytes.data()), message.length);
}

bool Push(MessageRing& ring, int64_t time, const std::string& bytes) {
  return ring.Push(time, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

/// One cycle of the process callback with room for `room` messages.
std::vector<std::string> TakeUpTo(MessageRing& ring, size_t room) {
  std::vector<std::string> taken;
  while (taken.size() < room) {
    const Message* front = ring.Front();
    if (!front) break;
    taken.push_back(Bytes(*front));
    ring.Pop();
  }
  return taken;
}

TEST(MessageRingTest, MessagesWaitInOrderUntilTheReaderTakesThem) {
  MessageRing ring(13);
  ASSERT_EQ(ring.Capacity(), 16u);
  EXPECT_EQ(ring.Front(), nullptr);
  ring.Pop();  // nothing to take: nothing changes
  EXPECT_EQ(ring.Drained(), 0u);

  ASSERT_TRUE(Push(ring, 1'000'000, "\x90\x3C\x40"));
  ASSERT_TRUE(ring.PushGate(4));
  ASSERT_TRUE(Push(ring, 0, "\xC0\x05"));
  ASSERT_TRUE(Push(ring, 7, "\xF8"));
  EXPECT_FALSE(Push(ring, 9, "")) << "no message";
  EXPECT_FALSE(Push(ring, 9, "\xF0\x01\x02\xF7")) << "longer than a short message";
  EXPECT_FALSE(ring.PushGate(0)) << "gates are numbered from 1";
  EXPECT_EQ(ring.Pushed(), 4u);

  // Looking at the front does not take it (a message due in a later cycle
  // stays there); the time and the bytes come out as they went in.
  const Message* front = ring.Front();
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(front->time, 1'000'000);
  EXPECT_EQ(Bytes(*front), "\x90\x3C\x40");
  EXPECT_EQ(ring.Front(), front);
  EXPECT_EQ(ring.Drained(), 0u);
  EXPECT_FALSE(front->IsGate());
  ring.Pop();
  // A gate comes out as a record of its own, without bytes.
  ASSERT_NE(ring.Front(), nullptr);
  EXPECT_TRUE(ring.Front()->IsGate());
  EXPECT_EQ(ring.Front()->gate, 4u);
  EXPECT_EQ(ring.Front()->length, 0u);
  ring.Pop();
  ASSERT_NE(ring.Front(), nullptr);
  EXPECT_EQ(ring.Front()->time, 0);
  EXPECT_EQ(TakeUpTo(ring, 5), (std::vector<std::string>{"\xC0\x05", "\xF8"}));
  EXPECT_EQ(ring.Drained(), 4u);

  // A full ring refuses instead of waiting, and takes messages again once the
  // reader has made room; nothing is lost or reordered on the way, across the
  // end of the memory.
  int pushed = 0;
  while (Push(ring, pushed + 1, std::string(1, char(0x80 + pushed)))) ++pushed;
  EXPECT_EQ(pushed, 16);
  EXPECT_EQ(TakeUpTo(ring, 1), (std::vector<std::string>{"\x80"}));
  EXPECT_TRUE(Push(ring, 99, "\xFE"));
  EXPECT_FALSE(Push(ring, 99, "\xFE"));
  const std::vector<std::string> rest = TakeUpTo(ring, 100);
  ASSERT_EQ(rest.size(), 16u);
  EXPECT_EQ(rest.front(), "\x81");
  EXPECT_EQ(rest.back(), "\xFE");
  EXPECT_EQ(ring.Drained(), ring.Pushed());
  EXPECT_EQ(ring.Pushed(), 4u + 17u);
}

// Record number `i` as the writer makes it: every length, and a time and
// bytes that give the number back, so a torn, stale or repeated record shows;
// every tenth a gate numbered after it.
Message Numbered(uint64_t i) {
  Message message;
  if (i % 10 == 9) {
    message.gate = static_cast<uint32_t>(i);
    return message;
  }
  message.time = static_cast<int64_t>(i) + 1;
  message.length = static_cast<uint8_t>(1 + i % 3);
  for (size_t k = 0; k < message.length; ++k) message.bytes[k] = static_cast<uint8_t>(i * 7 + k);
  return message;
}

TEST(MessageRingTest, WriterAndReaderOnTwoThreadsLoseNothingAndTearNothing) {
  constexpr uint64_t kMessages = 200'000;
  MessageRing ring(64);
  std::atomic<bool> written{false};

  std::thread writer([&] {
    for (uint64_t i = 0; i < kMessages; ++i) {
      const Message message = Numbered(i);
      while (!(message.IsGate() ? ring.PushGate(message.gate)
                                : ring.Push(message.time, message.bytes.data(), message.length))) {
        std::this_thread::yield();
      }
    }
    written.store(true);
  });
  // Anyone may ask how far the two are (the MIDI worker does, waiting until
  // what was sent has gone out): never more taken than pushed, never less
  // than before.
  std::atomic<bool> read{false};
  std::thread watcher([&] {
    uint64_t lastPushed = 0, lastDrained = 0;
    while (!read.load()) {
      const uint64_t drained = ring.Drained();
      const uint64_t pushed = ring.Pushed();
      EXPECT_LE(drained, pushed);
      EXPECT_GE(pushed, lastPushed);
      EXPECT_GE(drained, lastDrained);
      lastPushed = pushed;
      lastDrained = drained;
      std::this_thread::yield();
    }
  });

  // The reader starts once the writer has filled the ring, so the writer
  // meets a full ring; then each cycle takes what its room allows, looking
  // at the front more than once, and leaves the rest for the next.
  while (ring.Pushed() < ring.Capacity()) std::this_thread::yield();
  uint64_t next = 0;
  uint64_t wrong = 0;
  for (uint64_t cycle = 0; next < kMessages; ++cycle) {
    const bool last = written.load();
    for (uint64_t room = cycle % 8; room > 0; --room) {
      const Message* front = ring.Front();
      if (!front) break;
      const Message expected = Numbered(next);
      if (front->time != expected.time || front->gate != expected.gate || front->length != expected.length ||
          front->bytes != expected.bytes || ring.Front() != front) {
        if (wrong++ == 0) {
          ADD_FAILURE() << "message " << next << " arrived as number " << front->time - 1 << " with "
                        << int(front->length) << " bytes";
        }
      }
      ring.Pop();
      ++next;
    }
    if (last && !ring.Front()) break;  // all written, and nothing left: some were lost
    std::this_thread::yield();
  }
  writer.join();
  read.store(true);
  watcher.join();
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(next, kMessages);
  EXPECT_EQ(ring.Front(), nullptr);
  EXPECT_EQ(ring.Pushed(), kMessages);
  EXPECT_EQ(ring.Drained(), kMessages);
}
}  // namespace
