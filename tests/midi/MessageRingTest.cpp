// SPDX-License-Identifier: MIT
// The ring between the sending thread and JACK's process callback, read as
// the callback reads it: a cycle takes what fits in the port's buffer.
#include "midi/jack/MessageRing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> DrainUpTo(MessageRing& ring, size_t room) {
  std::vector<std::string> taken;
  ring.Drain([&](const uint8_t* bytes, size_t length) {
    if (taken.size() == room) return false;  // the buffer is full this cycle
    taken.emplace_back(reinterpret_cast<const char*>(bytes), length);
    return true;
  });
  return taken;
}

bool Push(MessageRing& ring, const std::string& bytes) {
  return ring.Push(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(MessageRingTest, MessagesWaitInOrderForRoomInTheCycle) {
  MessageRing ring(64);  // 63 usable bytes: 15 records
  for (const char* message : {"\x90\x3C\x40", "\xC0\x05", "\xF8"}) ASSERT_TRUE(Push(ring, message));
  EXPECT_FALSE(Push(ring, "")) << "no message";
  EXPECT_FALSE(Push(ring, "\xF0\x01\x02\xF7")) << "longer than a short message";
  EXPECT_EQ(DrainUpTo(ring, 2), (std::vector<std::string>{"\x90\x3C\x40", "\xC0\x05"}));
  EXPECT_EQ(ring.Drained(), 2u);
  EXPECT_EQ(DrainUpTo(ring, 2), (std::vector<std::string>{"\xF8"}));
  EXPECT_EQ(DrainUpTo(ring, 2), (std::vector<std::string>{}));

  // A full ring refuses instead of waiting, and takes messages again once
  // the callback has made room; nothing is lost or reordered on the way.
  int pushed = 0;
  while (Push(ring, std::string(1, char(0x80 + pushed)))) ++pushed;
  EXPECT_EQ(pushed, 15);
  EXPECT_EQ(DrainUpTo(ring, 1), (std::vector<std::string>{"\x80"}));
  EXPECT_TRUE(Push(ring, "\xFE"));
  EXPECT_EQ(ring.Pushed(), 3u + 16u);
  const auto rest = DrainUpTo(ring, 100);
  ASSERT_EQ(rest.size(), 15u);
  EXPECT_EQ(rest.front(), "\x81");
  EXPECT_EQ(rest.back(), "\xFE");
  EXPECT_EQ(ring.Drained(), ring.Pushed());
}
}  // namespace
