// SPDX-License-Identifier: MIT
// Pen packets: which notes the bands play, with what velocity, what a packet
// that changes nothing does; notes stop as they started: what the golden
// scripts cannot show, refused sends and packets that arrive inside a box;
// and the port's own failures, resets and row values on the wire.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/MidiPort.h"
#include "engine/WaitingPackets.h"
#include "tests/support/EngineFakes.h"

using Strings = std::vector<std::string>;
using Texts = std::vector<RecordingDisplay::Text>;

namespace {
// Screen rows (1080 high) inside the bands of the default note list, ten notes
// 61 62 66 67 71 73 74 78 79 83 from the bottom edge up.
constexpr int32_t kBandOf61 = 1070;
constexpr int32_t kBandOf62 = 900;
constexpr int32_t kBandOf66 = 800;
constexpr int32_t kBandOf67 = 700;
}  // namespace

TEST(NoteGeneration, VelocityFromPressureOrFixed) {
  EngineRig rig;
  rig.Packet(1, 1, 960, kBandOf61, 0);
  rig.Packet(1, 1, 960, kBandOf62, 7);  // lighter than one velocity step
  EXPECT_EQ(rig.midi.TakeSent()[0], "90 3E 00");
  rig.engine.SetInitialPressure(false);
  rig.engine.SetInitialPosition(false);
  rig.Packet(1, 1, 960, kBandOf61, 7);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3E 00", "90 3D 50"}));
}

// A touch plays where the pen is: a tap or a pen held still sounds at once,
// as if the pen had moved there, and only once when it did move.
TEST(NoteGeneration, ATouchPlaysWithoutMoving) {
  struct Step {
    uint32_t cursor, buttons;
    int32_t y;
    uint32_t pressure;
  };
  struct Case {
    const char* what;
    bool playNotes;
    std::vector<Step> steps;
    Strings sent;
  };
  const Case cases[] = {
      {"a tap",
       true,
       {{1, 0, kBandOf62, 0}, {1, 1, kBandOf62, 400}, {1, 0, kBandOf62, 0}},
       {"90 3E 32", "B0 0A 3F", "80 3E 00"}},
      {"touching down while moving", true, {{1, 0, kBandOf62, 0}, {1, 1, kBandOf66, 400}}, {"90 42 32", "B0 0A 3F"}},
      {"pressing harder in place", true, {{1, 1, kBandOf62, 400}, {1, 1, kBandOf62, 800}}, {"90 3E 32", "B0 0A 3F"}},
      {"the eraser's chord",
       true,
       {{2, 0, kBandOf61, 0}, {2, 1, kBandOf61, 80}},
       {"90 3D 0A", "90 41 0A", "90 44 0A", "B0 0A 3F"}},
      {"a second touch after a lift",
       true,
       {{1, 1, kBandOf61, 400}, {1, 0, kBandOf61, 0}, {1, 1, kBandOf61, 200}},
       {"90 3D 32", "B0 0A 3F", "80 3D 00", "90 3D 19", "B0 0A 3F"}},
      {"controller mode", true, {{1, 2, kBandOf62, 0}, {1, 3, kBandOf62, 400}}, {}},
      {"generate notes unchecked", false, {{1, 0, kBandOf62, 0}, {1, 1, kBandOf62, 400}}, {}},
  };
  for (const Case& c : cases) {
    EngineRig rig;
    rig.engine.SetPlayNotes(c.playNotes);
    for (const Step& step : c.steps) rig.Packet(step.cursor, step.buttons, 960, step.y, step.pressure);
    EXPECT_EQ(rig.midi.TakeSent(), c.sent) << c.what;
  }
}

TEST(NoteGeneration, EmptyListPlaysAndShowsNothing) {
  EngineRig rig;
  rig.engine.SetNoteLimit(NoteLimit::Lower, 63);
  rig.engine.SetNoteLimit(NoteLimit::Upper, 65);
  rig.Packet(1, 1, 960, 540, 500);
  rig.Packet(1, 1, 960, 100, 500);
  EXPECT_TRUE(rig.midi.sent.empty());
  for (const auto& [readout, text] : rig.display.texts) EXPECT_NE(readout, Readout::NoteName) << text;
}

TEST(NoteGeneration, OtherToolsMoveTheBandsSilently) {
  EngineRig rig;
  rig.Packet(0, 1, 960, kBandOf61, 0);
  rig.Packet(0, 1, 960, kBandOf62, 500);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 0A 3F"}));
  EXPECT_EQ(rig.engine.Notes().LastNote(), 62);
  rig.Packet(0, 1, 960, kBandOf62, 0);
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.engine.Notes().LastNote(), kNoNote);
}

TEST(NoteGeneration, HorizontalDirectionAndEdges) {
  EngineRig rig;
  rig.engine.SelectNoteDirection(1);
  rig.Packet(1, 1, 1919, 540, 0);
  rig.Packet(1, 1, 1919, 545, 300);  // the right edge plays the highest note
  EXPECT_EQ(rig.midi.TakeSent()[0], "90 53 25");
  rig.Packet(1, 1, 0, 545, 300);  // the left edge the lowest
  EXPECT_EQ(rig.midi.TakeSent()[1], "90 3D 25");
}

TEST(ProcessPacket, RepeatedPacketOnlyAdvancesTheCounter) {
  EngineRig rig;  // every pen input sends a controller, in controller mode
  for (int input = 0; input < kControllerInputCount; ++input) rig.engine.SelectController(input, input + 1);
  rig.engine.SetControllerMode(true);
  rig.Packet(1, 0, 100, 100, 300, 450, 600, 5);
  rig.midi.TakeSent();
  rig.display.TakeTexts();
  const int repaints = rig.display.areaRepaints;

  rig.Packet(1, 0, 100, 100, 300, 450, 600, 5);
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_EQ(rig.display.areaRepaints, repaints);
  EXPECT_EQ(rig.display.TakeTexts(), (Texts{{Readout::PacketCount, "2"}}));
  EXPECT_EQ(rig.engine.PacketCount(), 2u);
}

TEST(SoundingNotes, ARefusedNoteOnNeedsNoNoteOff) {
  EngineRig rig;
  rig.engine.SelectController(kInputY, 11);
  rig.Packet(2, 1, 960, kBandOf61, 0);
  // The chord's middle note is refused: its box is shown, the others sound.
  rig.midi.refused = {"90 42 32"};
  rig.Packet(2, 1, 960, kBandOf62, 400);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"90 3E 32", "90 45 32", "B0 0A 3F"}));
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"MIDI error"}));
  EXPECT_EQ(rig.engine.SoundingNoteCount(), 2u);
  rig.Packet(2, 0, 960, kBandOf62, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3E 00", "80 45 00", "B0 0B 00"}));
  EXPECT_EQ(rig.engine.SoundingNoteCount(), 0u);
}

TEST(SoundingNotes, ANoteOffThatCouldNotGoOutIsKeptUntilItCan) {
  EngineRig rig;
  rig.Packet(1, 1, 960, kBandOf61, 0);
  rig.Packet(1, 1, 960, kBandOf62, 400);
  rig.midi.TakeSent();
  // The system takes nothing for a while: the lift's note-off is refused,
  // and the note counts as sounding until it went out.
  rig.midi.failSends = true;
  rig.Packet(1, 0, 960, kBandOf62, 0);
  EXPECT_EQ(rig.engine.SoundingNoteCount(), 1u);
  EXPECT_FALSE(rig.messages.troubles.empty());
  // It takes messages again: the note-off goes first, at the end of the
  // performance as before any other message.
  rig.midi.failSends = false;
  rig.engine.EndPerformance();
  EXPECT_EQ(rig.midi.TakeSent(), Strings{"80 3E 00"});
  EXPECT_EQ(rig.engine.SoundingNoteCount(), 0u);

  // Panic's messages too, in their order, before anything that follows.
  rig.midi.refused = {"B0 7B 00"};
  rig.engine.Panic();
  EXPECT_TRUE(rig.midi.TakeSent().empty()) << "nothing may overtake the refused All Notes Off";
  rig.midi.refused.clear();
  rig.Packet(1, 1, 960, kBandOf61, 300);
  const Strings sent = rig.midi.TakeSent();
  ASSERT_EQ(sent.size(), 2u * 16 + 2);
  EXPECT_EQ(sent[0], "B0 7B 00");
  EXPECT_EQ(sent[1], "B0 78 00");
  EXPECT_EQ(sent[32], "90 3D 25");
}

TEST(SoundingNotes, PacketsInsideABoxWaitForTheCallThatOpenedIt) {
  EngineRig rig;
  rig.engine.SelectController(kInputY, 11);
  rig.Packet(1, 1, 960, kBandOf61, 0);
  rig.Packet(1, 1, 960, kBandOf62, 400);
  rig.midi.TakeSent();
  // Entering the next band, the controller reset fails; while its box is open
  // the pen lifts, touches again and moves on. Handled inside the box, the
  // touch would start a note that the interrupted step then forgets (it sets
  // `lastNote` to its own note), and that note would never stop.
  bool delivered = false;
  rig.messages.onShow = [&] {
    if (std::exchange(delivered, true)) return;
    rig.midi.refused.clear();
    rig.Packet(1, 0, 960, kBandOf66, 0);
    rig.Packet(1, 1, 960, kBandOf66, 300);
    rig.Packet(1, 1, 960, kBandOf67, 300);  // the same touch: only this one is kept
  };
  rig.midi.refused = {"B0 0B 00"};
  rig.Packet(1, 1, 960, kBandOf66, 400);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 3E 00", "90 42 32", "B0 0A 3F",  // the interrupted step
                                          "80 42 00", "B0 0B 00",              // the lift
                                          "90 43 25", "B0 0A 3F"}));           // the touch, where it is now
  EXPECT_EQ(rig.engine.SoundingNoteCount(), 1u);
  EXPECT_EQ(rig.engine.PacketCount(), 5u);
  rig.Packet(1, 0, 960, kBandOf67, 0);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"80 43 00", "B0 0B 00"}));
}

TEST(WaitingPackets, AStretchKeepsItsNewestPacketAndEveryChangeItsTurn) {
  struct Sample {
    uint32_t cursor, buttons, pressure;
    int32_t x;  ///< tells the packets apart
  };
  struct Case {
    const char* what;
    std::vector<Sample> in;
    std::vector<int32_t> out;
  };
  const Case cases[] = {
      {"hover, touch, lift", {{1, 0, 0, 1}, {1, 0, 0, 2}, {1, 1, 300, 3}, {1, 1, 200, 4}, {1, 0, 0, 5}}, {2, 4, 5}},
      {"a lift and a touch between", {{1, 1, 300, 1}, {1, 0, 0, 2}, {1, 1, 90, 3}, {1, 1, 80, 4}}, {1, 2, 4}},
      {"another tool", {{1, 1, 300, 1}, {2, 1, 300, 2}, {2, 1, 250, 3}}, {1, 3}},
      {"other buttons", {{1, 1, 300, 1}, {1, 3, 300, 2}, {1, 3, 100, 3}}, {1, 3}}};
  for (const Case& c : cases) {
    WaitingPackets waiting;
    for (const Sample& s : c.in) {
      waiting.Add({.cursor = s.cursor, .buttons = s.buttons, .x = s.x, .normalPressure = s.pressure}, {});
    }
    std::vector<int32_t> out;
    while (auto p = waiting.Take()) out.push_back(p->packet.x);
    EXPECT_EQ(out, c.out) << c.what;
  }

  // A box open through hundreds of touches keeps the newest ones.
  WaitingPackets waiting;
  const int32_t count = 3 * WaitingPackets::kMaxWaiting;
  for (int32_t i = 1; i <= count; ++i) waiting.Add({.cursor = 1, .x = i, .normalPressure = uint32_t(i % 2)}, {});
  EXPECT_EQ(waiting.Size(), WaitingPackets::kMaxWaiting);
  EXPECT_EQ(waiting.Take()->packet.x, count - int32_t(WaitingPackets::kMaxWaiting) + 1);
}

TEST(MidiPort, FailedCloseKeepsTheOldPort) {
  EngineRig rig;
  rig.midi.failClose = true;
  const int opens = rig.midi.opens;
  rig.engine.SelectPort(0);
  EXPECT_EQ(rig.messages.TakeShown(), (Strings{"Unable to close the previous MIDI Out device!"}));
  EXPECT_EQ(rig.midi.opens, opens);
  EXPECT_TRUE(rig.engine.PortOpen());
}

TEST(MidiPort, OneErrorBoxAtATime) {
  EngineRig rig;
  rig.midi.failSends = true;
  MidiPort port(rig.midi, rig.messages, rig.display);
  // While the box is open its modal loop keeps the program running; what
  // fails meanwhile shows no box of its own.
  int nested = 0;
  rig.messages.onShow = [&] {
    ++nested;
    EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 2));
  };
  EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 1));
  EXPECT_EQ(nested, 1);
  EXPECT_FALSE(port.SendShortMessage(kControlChange, 0, 1, 1));  // the next failure has its own box again
  EXPECT_EQ(rig.messages.shown.size(), 2u);
}

TEST(MidiPort, EveryMessageOfAPenEventCarriesItsTimeAndTheRestGoesAtOnce) {
  EngineRig rig(2);
  rig.engine.SelectController(kInputPressure, kChannelPressureController);
  rig.midi.times.clear();
  const int64_t touched = 7'000'000'000, lifted = 7'012'000'000;
  rig.engine.ProcessPacket(
      {.cursor = 1, .buttons = 1, .x = 960, .y = kBandOf61, .normalPressure = 300, .eventTime = touched}, rig.geometry);
  rig.engine.ProcessPacket({.cursor = 1, .x = 960, .y = kBandOf61, .eventTime = lifted}, rig.geometry);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"90 3D 25", "B0 0A 3F", "D0 25 00", "80 3D 00", "D0 00 00"}));
  EXPECT_EQ(rig.midi.times, (std::vector<int64_t>{touched, touched, touched, lifted, lifted}));
  rig.midi.times.clear();
  // A preset change, a port chosen and panic have no pen event behind them.
  rig.engine.SelectConfiguration(1);
  rig.engine.SelectPort(1);
  rig.engine.Panic();
  ASSERT_FALSE(rig.midi.times.empty());
  EXPECT_EQ(rig.midi.times, std::vector<int64_t>(rig.midi.times.size(), 0));
}

TEST(MidiPort, TroubleIsToldOncePerEpisodeAndADestinationThatComesGetsThePatch) {
  EngineRig rig(2);
  rig.engine.SelectPatch(5);
  // The system answers later, and the answer is no.
  rig.midi.link = MidiLink::Connecting;
  rig.engine.SelectPort(1);
  EXPECT_TRUE(rig.messages.troubles.empty());
  rig.midi.link = MidiLink::Unconnected;
  rig.engine.RefreshPorts();
  for (int i = 0; i < 5; ++i) rig.Packet(1, 1, 960, kBandOf61 - 100 * i, 300);
  EXPECT_EQ(rig.messages.troubles, Strings{"Unable to open the selected MIDI Out device!"});
  EXPECT_EQ(rig.messages.resolved, 0);

  // The destination comes: the trouble is over, and it hears the preset's
  // sound first (at once), then the notes.
  rig.midi.TakeSent();
  rig.midi.times.clear();
  rig.midi.link = MidiLink::Connected;
  rig.Packet(1, 1, 960, kBandOf61, 300);
  EXPECT_EQ(rig.messages.resolved, 1);
  EXPECT_EQ(rig.midi.TakeSent().front(), "C0 05 00");
  EXPECT_EQ(rig.midi.times.front(), 0);

  // A stall: one report however much is sent meanwhile, its end when the
  // system runs again; the destination heard the patch already.
  rig.midi.link = MidiLink::Stalled;
  for (int i = 0; i < 5; ++i) rig.Packet(1, 1, 960, kBandOf61 - 100 * i, 300);
  EXPECT_EQ(rig.messages.troubles, (Strings{"Unable to open the selected MIDI Out device!", "MIDI error"}));
  rig.midi.TakeSent();
  rig.midi.link = MidiLink::Connected;
  rig.engine.RefreshPorts();
  EXPECT_EQ(rig.messages.resolved, 2);
  EXPECT_TRUE(rig.midi.TakeSent().empty());
}

// At a band change the expression rows stay where they are, and so do their
// displays; the other assigned rows return to rest in row order.
TEST(MidiPort, BandChangeResetKeepsTheExpressionRows) {
  Configuration assigned = DefaultConfiguration();
  assigned.cc[kInputX] = 7;
  assigned.cc[kInputY] = kPitchBendController;
  assigned.cc[kInputPressure] = kChannelPressureController;
  assigned.cc[kInputTilt] = 11;
  assigned.min = {5, 90, 90, 127, 0, 0, 0, 0};
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.OpenMidiOut(0, "", false);
  port.ResetControllers(assigned, ControllerReset::KeepExpression);
  EXPECT_EQ(rig.midi.TakeSent(), (Strings{"B0 07 05", "B0 0B 7F"}));
  EXPECT_EQ(rig.display.TakeTexts(), (Texts{{Readout::Value0, "---"},
                                            {Readout::Value3, "---"},
                                            {Readout::Value4, "---"},
                                            {Readout::Value5, "---"},
                                            {Readout::Value6, "---"},
                                            {Readout::Value7, "---"}}));
}

// A row's value as pitch bend keeps `out` as the upper seven bits, from the
// lowest bend through the centre to the highest; as channel pressure it is the
// pressure. Values above 127 (inputs beyond the usual ranges) count as 127.
TEST(MidiPort, RowValuesBecomeBendPressureOrControlChange) {
  EngineRig rig;
  MidiPort port(rig.midi, rig.messages, rig.display);
  port.OpenMidiOut(0, "", false);
  const struct {
    uint8_t controller, out;
    const char* sent;
  } cases[] = {{kPitchBendController, 0, "E0 00 00"},         {kPitchBendController, 63, "E0 00 3F"},
               {kPitchBendController, 64, "E0 00 40"},        {kPitchBendController, 65, "E0 02 41"},
               {kPitchBendController, 127, "E0 7F 7F"},       {kPitchBendController, 200, "E0 7F 7F"},
               {kChannelPressureController, 0, "D0 00 00"},   {kChannelPressureController, 99, "D0 63 00"},
               {kChannelPressureController, 200, "D0 7F 00"}, {7, 99, "B0 07 63"}};
  for (const auto& test : cases) {
    port.SendControllerValue(0, test.controller, test.out);
    EXPECT_EQ(rig.midi.TakeSent(), Strings{test.sent}) << int(test.controller) << " " << int(test.out);
  }
  // Every step of the row moves the bend up.
  int previous = -1;
  for (int out = 0; out <= 127; ++out) {
    port.SendControllerValue(0, kPitchBendController, static_cast<uint8_t>(out));
    unsigned status, fine, coarse;
    ASSERT_EQ(std::sscanf(rig.midi.TakeSent().at(0).c_str(), "%x %x %x", &status, &fine, &coarse), 3);
    EXPECT_EQ(coarse, unsigned(out));
    EXPECT_GT(int(coarse * 128 + fine), previous);
    previous = int(coarse * 128 + fine);
  }
}
