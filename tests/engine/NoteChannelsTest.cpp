// SPDX-License-Identifier: MIT
// Glide and per-note channels beyond what the golden scripts show: the bend
// arithmetic at its roundings and edges, the order in which member channels
// come back, and a sixteenth note that finds every member channel sounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "engine/BendValues.h"
#include "engine/MemberChannels.h"
#include "engine/MidiPort.h"
#include "engine/NoteChannels.h"
#include "tests/support/EngineFakes.h"

namespace {
using Strings = std::vector<std::string>;
constexpr double kHalfStep = 1.0 / 16384;  // half a bend step over a range of one semitone

TEST(BendValues, RoundHalvesAwayFromZeroAndStayInRange) {
  const struct {
    double pitch;
    int started, range, bend;
  } cases[] = {{60, 60, 48, 8192},
               {60 + kHalfStep, 60, 1, 8193},
               {60 - kHalfStep, 60, 1, 8191},
               {61, 60, 12, 8875},  // 682.67 up
               {59, 60, 12, 7509},  // 682.67 down
               {62, 60, 2, 16383},  // a whole range up is one step past the top
               {58, 60, 2, 0},
               {127, 0, 1, 16383},
               {0, 127, 1, 0}};
  for (const auto& test : cases) {
    EXPECT_EQ(BendForPitch(test.pitch, test.started, test.range), test.bend) << test.pitch << " " << test.range;
  }
  EXPECT_EQ(OffsetBend(16000, 500), 16383);
  EXPECT_EQ(OffsetBend(100, -500), 0);
  EXPECT_EQ(OffsetBend(8192, -512), 7680);
}

// Between band centres the pitch moves in a straight line to the neighbour's
// note; the outer halves of the first and last bands keep their note.
TEST(BendValues, GlidePitchRunsFromCentreToCentre) {
  const std::vector<uint8_t> notes = {60, 62, 65};
  const struct {
    uint8_t index;
    float f;
    double pitch;
  } cases[] = {{0, 0.5f, 60},    {0, 0.0f, 60}, {0, 0.75f, 60.5},  {0, 1.0f, 61},     {1, 0.0f, 61},
               {1, 0.25f, 61.5}, {1, 0.5f, 62}, {1, 0.75f, 62.75}, {2, 0.25f, 64.25}, {2, 0.9f, 65}};
  for (const auto& test : cases) EXPECT_DOUBLE_EQ(GlidePitch(notes, test.index, test.f), test.pitch);
}

std::vector<MidiPort::SoundingNote> On(std::initializer_list<uint8_t> channels) {
  std::vector<MidiPort::SoundingNote> sounding;
  for (uint8_t channel : channels) sounding.push_back({channel, 60});
  return sounding;
}

std::vector<MidiPort::SoundingNote> AllBut(std::initializer_list<uint8_t> silent) {
  std::vector<MidiPort::SoundingNote> sounding;
  for (uint8_t channel = MemberChannels::kFirstMember; channel < kChannelCount; ++channel) {
    if (std::find(silent.begin(), silent.end(), channel) == silent.end()) sounding.push_back({channel, 60});
  }
  return sounding;
}

// The channel whose note ended longest ago comes back first, however long ago
// that note started; a channel in use by a note from before is passed over.
TEST(MemberChannels, TheLongestEndedComesBackFirst) {
  MemberChannels members;
  EXPECT_EQ(members.Choose(On({})), 1);
  EXPECT_EQ(members.Choose(On({1, 3})), 2);  // a note of another preset sounds on channel 2
  for (uint8_t channel = 1; channel < kChannelCount; ++channel) {
    EXPECT_EQ(members.Choose(AllBut({channel})), channel);
    members.Started(channel);
  }
  EXPECT_EQ(members.Choose(AllBut({})), std::nullopt);
  // Channel 8 ends, then channel 3, which had started earlier: 8 comes back first.
  EXPECT_EQ(members.Choose(AllBut({8})), 8);
  EXPECT_EQ(members.Choose(AllBut({3, 8})), 8);
  // Notes that end together end in the order they started.
  EXPECT_EQ(members.Choose(AllBut({3, 8, 12, 5})), 8);
  EXPECT_EQ(members.Choose(AllBut({3, 12, 5})), 3);
  EXPECT_EQ(members.Choose(AllBut({12, 5})), 5);
  // A set-up forgets it all: lowest first again, among the channels free.
  members.Reset();
  EXPECT_EQ(members.Choose(AllBut({12, 5})), 5);
}

// With a note sounding on every member channel, the oldest one stops and its
// channel takes the new note, after its bend; no channel ever holds two.
TEST(NoteChannels, ASixteenthNoteTakesTheOldestNotesChannel) {
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.OpenMidiOut(0, "", false);
  NoteChannels channels(port);
  Configuration config = DefaultConfiguration();
  config.mpe = 1;
  channels.PresetShown(config);
  channels.BeginNotes(config, 60, 60);
  for (uint8_t note = 60; note < 75; ++note) channels.StartNote(config, note, 100);
  rig.midi.TakeSent();
  EXPECT_EQ(channels.StartNote(config, 75, 100), 1);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"81 3C 00", "E1 00 40", "91 4B 64"}));
  EXPECT_EQ(channels.StartNote(config, 76, 100), 2);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"82 3D 00", "E2 00 40", "92 4C 64"}));
  ASSERT_EQ(port.SoundingNoteCount(), 15u);
  for (uint8_t channel = 1; channel < kChannelCount; ++channel) {
    EXPECT_EQ(std::count_if(port.SoundingNotes().begin(), port.SoundingNotes().end(),
                            [channel](const auto& n) { return n.channel == channel; }),
              1)
        << int(channel);
  }
}

// A destination that refuses the set-up is told once: the programme changes
// and the set-up each stop at their first failure (the next preset shown or
// port chosen sends them again).
TEST(NoteChannels, ASetUpStopsAtItsFirstFailure) {
  EngineRig rig;
  rig.midi.failSends = true;
  rig.engine.SetMpe(true);
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"MIDI error", "MIDI error"}));
  rig.midi.failSends = false;
  rig.midi.refused = {"B3 06 30"};  // the bend range of channel 4
  rig.engine.SelectChannel(5);
  const Strings sent = rig.midi.TakeSent();
  EXPECT_EQ(sent.size(), 5u + 5u + 5u + 2u);
  EXPECT_EQ(sent.back(), "B3 64 00");
  EXPECT_EQ(rig.messages.TakeShown(), Strings{"MIDI error"});
}

}  // namespace
