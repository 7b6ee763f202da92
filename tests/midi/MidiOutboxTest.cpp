// SPDX-License-Identifier: MIT
// Where the process callback puts each message: at the frame of its pen time
// plus the latency, in order, the late ones at the first free frame; what is
// due later, or behind a closed gate, waits for its cycle; stale note-ons go
// with their note-offs.
#include "midi/MidiOutbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using namespace std::chrono_literals;

constexpr int64_t kMs = 1'000'000;
constexpr uint32_t kRate = 48000;
constexpr int64_t kPeriod = 256 * 1'000'000'000LL / kRate;  // of 256 frames: 5.33 ms

struct Placed {
  uint32_t frame;
  std::string bytes;
  bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& p, std::ostream* out) { *out << p.frame << ":" << testing::PrintToString(p.bytes); }

/// A message's bytes.
std::string M(std::initializer_list<int> bytes) {
  std::string message;
  for (int byte : bytes) message += static_cast<char>(byte);
  return message;
}

bool Push(MidiOutbox& outbox, int64_t time, const std::string& bytes) {
  return outbox.Push(time, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

/// A cycle of `frames` at 48 kHz starting at `start`, as JACK's callback sees it.
MidiCycle Cycle(const MidiOutbox& outbox, int64_t start, uint32_t frames) {
  const int64_t period = int64_t{frames} * 1'000'000'000 / kRate;
  return {start, start + period, frames, outbox.LatencyFor(frames, kRate)};
}

/// One cycle whose port takes at most `room` events.
std::vector<Placed> Fill(MidiOutbox& outbox, const MidiCycle& cycle, size_t room = 100) {
  std::vector<Placed> placed;
  outbox.FillCycle(cycle, [&](uint32_t frame, const uint8_t* bytes, size_t length) {
    if (placed.size() == room) return false;
    if (!placed.empty()) {
      EXPECT_GE(frame, placed.back().frame) << "events must be written in frame order";
    }
    EXPECT_LT(frame, cycle.frames);
    placed.push_back({frame, std::string(reinterpret_cast<const char*>(bytes), length)});
    return true;
  });
  return placed;
}

TEST(MidiOutboxTest, EachMessageGoesAtItsPenTimePlusTheLatencyInOrder) {
  MidiOutbox outbox(64, {.latency = 6ms});
  const int64_t start = 1000 * kMs;     // a cycle of 256 frames: 5.33 ms
  const int64_t pen = start - 6 * kMs;  // due at the cycle's first frame
  // Each row: a message pushed, and where the cycle puts it.
  struct Row {
    int64_t time;
    std::string bytes;
    int64_t frame;  // -1: not in this cycle
  };
  const Row rows[] = {
      {pen, M({0x90, 0x3C, 0x40}), 0},              // exactly on time
      {pen + 2 * kMs, M({0x80, 0x3C, 0x00}), 96},   // 2 ms on: 96 frames
      {0, M({0xC0, 0x05}), 96},                     // no time: the first free frame
      {pen + 1 * kMs, M({0xB0, 0x07, 0x10}), 96},   // due before what went already: as soon as it can
      {pen + 5 * kMs, M({0x90, 0x3E, 0x40}), 240},  //
      {pen - 3 * kMs, M({0xB0, 0x07, 0x11}), 240},  // late: the first free frame
      {pen + kPeriod, M({0xE0, 0x00, 0x40}), -1},   // the next cycle's first frame
      {0, M({0xD0, 0x00}), -1},                     // waits behind it
  };
  std::vector<Placed> expected;
  for (const Row& row : rows) {
    ASSERT_TRUE(Push(outbox, row.time, row.bytes));
    if (row.frame >= 0) expected.push_back({uint32_t(row.frame), row.bytes});
  }
  EXPECT_EQ(Fill(outbox, Cycle(outbox, start, 256)), expected);
  const MidiDeliveryCounts counts = outbox.Counts();
  EXPECT_EQ(counts.timed, 5u);
  EXPECT_EQ(counts.late, 2u) << "the one behind a later one, and the one due before the cycle";

  // The next cycle: the one due at its first frame, and what waited behind it.
  EXPECT_EQ(Fill(outbox, Cycle(outbox, start + kPeriod, 256)),
            (std::vector<Placed>{{0, M({0xE0, 0x00, 0x40})}, {0, M({0xD0, 0x00})}}));
  EXPECT_EQ(outbox.Taken(), outbox.Pushed());
}

TEST(MidiOutboxTest, TheLatencyFollowsTheBufferSizeUnlessGivenByHand) {
  MidiOutbox automatic(64);
  MidiOutbox byHand(64, {.latency = 10ms});
  struct Row {
    uint32_t frames;
    int64_t latency;
  };
  for (const Row& row : {Row{256, 5'333'333}, Row{512, 10'666'666}, Row{64, 1'333'333}}) {
    EXPECT_EQ(automatic.LatencyFor(row.frames, kRate), row.latency + MidiOutbox::kLatencyMargin) << row.frames;
    EXPECT_EQ(byHand.LatencyFor(row.frames, kRate), 10 * kMs) << row.frames;
  }

  // Notes 4 ms apart keep their distance across a change from 256 to 512
  // frames: one latency for each cycle's messages, a step in between.
  const int64_t start = 2000 * kMs;
  const int64_t pen = start - automatic.LatencyFor(256, kRate);
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(Push(automatic, pen + i * 4 * kMs, std::string(M({0x90})) + char(60 + i) + M({0x40})));
  const std::vector<Placed> first = Fill(automatic, Cycle(automatic, start, 256));
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[1].frame - first[0].frame, 192u);  // 4 ms
  // The third, 8 ms after the first, goes out one period later than it
  // would have, with the larger buffer's longer latency: 8 ms after the
  // start of the next cycle, 384 frames into its 512.
  const std::vector<Placed> second = Fill(automatic, Cycle(automatic, start + kPeriod, 512));
  EXPECT_EQ(second, (std::vector<Placed>{{384, M({0x90, 0x3E, 0x40})}}));
}

TEST(MidiOutboxTest, AFullPortLeavesTheRestForTheNextCycleAndAGateHoldsWhatFollows) {
  MidiOutbox outbox(64, {.latency = 6ms});
  const int64_t start = 3000 * kMs;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Push(outbox, 0, std::string(M({0xB0, 0x01})) + char(i)));
  uint64_t position = 0;
  const uint32_t gate = outbox.PushGate(position);
  EXPECT_EQ(gate, 1u);
  EXPECT_EQ(position, 5u);
  EXPECT_EQ(outbox.LastGate(), 1u);
  ASSERT_TRUE(Push(outbox, 0, M({0xC0, 0x07})));

  EXPECT_EQ(Fill(outbox, Cycle(outbox, start, 256), 3).size(), 3u);
  EXPECT_EQ(Fill(outbox, Cycle(outbox, start, 256)).size(), 2u) << "the rest, then the gate stops";
  EXPECT_EQ(outbox.Taken(), position);
  EXPECT_TRUE(Fill(outbox, Cycle(outbox, start, 256)).empty());
  outbox.OpenGate(gate);
  EXPECT_EQ(Fill(outbox, Cycle(outbox, start, 256)), (std::vector<Placed>{{0, M({0xC0, 0x07})}}));

  // Held, nothing goes; released, all of it.
  ASSERT_TRUE(Push(outbox, 0, M({0xC0, 0x08})));
  outbox.Hold(true);
  EXPECT_TRUE(Fill(outbox, Cycle(outbox, start, 256)).empty());
  outbox.Hold(false);
  EXPECT_EQ(Fill(outbox, Cycle(outbox, start, 256)).size(), 1u);
}

TEST(MidiOutboxTest, AfterAStallStaleNoteOnsAreDroppedWithTheirNoteOffsAndTheRestGoes) {
  MidiOutbox outbox(64, {.latency = 6ms, .staleNoteLimit = 250ms});
  const int64_t pen = 10'000 * kMs;
  ASSERT_TRUE(Push(outbox, pen, M({0x90, 0x3C, 0x40})));
  EXPECT_EQ(Fill(outbox, Cycle(outbox, pen + 6 * kMs, 256)).size(), 1u);
  // Then the server stalls for three seconds, and the pen plays on.
  ASSERT_TRUE(Push(outbox, pen + 100 * kMs, M({0xB0, 0x07, 0x20})));
  ASSERT_TRUE(Push(outbox, pen + 900 * kMs, M({0x90, 0x3E, 0x40})));   // a stroke long ago
  ASSERT_TRUE(Push(outbox, pen + 950 * kMs, M({0x90, 0x3E, 0x00})));   // its end (a note-on of velocity 0)
  ASSERT_TRUE(Push(outbox, pen + 1000 * kMs, M({0x80, 0x3C, 0x00})));  // the first note released
  ASSERT_TRUE(Push(outbox, pen + 2900 * kMs, M({0x90, 0x40, 0x40})));  // just before the resume: still played
  ASSERT_TRUE(Push(outbox, 0, M({0xB0, 0x7B, 0x00})));                 // Escape
  std::vector<std::string> bytes;
  for (const Placed& p : Fill(outbox, Cycle(outbox, pen + 3000 * kMs, 256))) bytes.push_back(p.bytes);
  EXPECT_EQ(bytes, (std::vector<std::string>{M({0xB0, 0x07, 0x20}), M({0x80, 0x3C, 0x00}), M({0x90, 0x40, 0x40}),
                                             M({0xB0, 0x7B, 0x00})}));
  EXPECT_EQ(outbox.Counts().droppedNotes, 1u);
  EXPECT_EQ(outbox.Taken(), outbox.Pushed());
}

TEST(MidiOutboxTest, AReaderThatStopsBeatingIsStalled) {
  MidiOutbox outbox(4);
  EXPECT_FALSE(outbox.Stalled(5000 * kMs, 250 * kMs)) << "a reader that never beat says nothing";
  outbox.Beat(1000 * kMs);
  EXPECT_FALSE(outbox.Stalled(1250 * kMs, 250 * kMs));
  EXPECT_TRUE(outbox.Stalled(1251 * kMs, 250 * kMs));
}

}  // namespace
