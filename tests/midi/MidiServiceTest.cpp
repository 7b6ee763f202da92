// SPDX-License-Identifier: MIT
// The real MIDI service where no MIDI system is running: what goes on the
// wire, the system names, and that a missing system fails cleanly; and what
// the ALSA client computes without the sequencer device: the names of
// destinations, their addresses and the events sent for Quill's messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"
#include "midi/ShortMessage.h"
#include "midi/alsa/AlsaClient.h"
#include "midi/alsa/AlsaFormats.h"

namespace {
TEST(ShortMessageBytesTest, SendsEachMessageWithItsLengthOnTheWire) {
  struct Case {
    uint32_t packed;
    std::vector<uint8_t> wire;  // empty: refused
  };
  const Case cases[] = {
      {0x00643C90, {0x90, 0x3C, 0x64}},                                   // note on
      {0x00003C80, {0x80, 0x3C, 0x00}},                                   // note off
      {PackShortMessage(kControlChange, 2, 7, 100), {0xB2, 0x07, 0x64}},  // control change
      {PackShortMessage(kProgramChange, 15, 107, 0), {0xCF, 0x6B}},       // programme change: 2 bytes
      {0x00005AD3, {0xD3, 0x5A}},                                         // channel pressure: 2 bytes
      {0x00407FE0, {0xE0, 0x7F, 0x40}},                                   // pitch bend
      {0x00000AF3, {0xF3, 0x0A}},                                         // song select
      {0x000000F8, {0xF8}},                                               // clock
      {0x00FFFFFE, {0xFE}},                                               // active sensing ignores the rest
      {0x00643C10, {}},                                                   // no status byte
      {0x00643CF0, {}},                                                   // system exclusive needs more
      {0x000000F4, {}},                                                   // undefined status
      {0x00803C90, {}},                                                   // data byte that reads as status
      {0x0000FFC0, {}},                                                   // programme 255
      {0x00FF00C0, {0xC0, 0x00}},                                         // the unused third byte is not sent
      {PackShortMessage(kNoteOn, 0x13, 0x80, 0xFF), {0x93, 0x7F, 0x7F}}   // packing keeps channel and data in range
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 3> bytes{};
    const size_t length = ShortMessageBytes(c.packed, bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), c.wire) << std::hex << c.packed;
  }
}

TEST(NoMidiSystemTest, MissingSystemHasNoDevicesAndFailsCleanly) {
  // A server name nobody runs, so a JACK server on this machine stays out.
  ::setenv("JACK_DEFAULT_SERVER", ("quill-nobody-" + std::to_string(::getpid())).c_str(), 1);
  std::vector<std::unique_ptr<MidiOutService>> services;
  services.push_back(CreateMidiOutService(MidiSystem::Jack));
  if (!AlsaClient::SequencerPresent()) {
    services.push_back(CreateMidiOutService(MidiSystem::Alsa));
    services.push_back(CreateMidiOutService(MidiSystem::Automatic));
  }
  // Nothing can be listed, opened or sent; closing what is not open works.
  for (auto& service : services) {
    EXPECT_EQ(service->GetNumDevs(), 0u);
    EXPECT_EQ(service->GetDeviceName(0), "");
    EXPECT_FALSE(service->SendShortMsg(0x00643C90));
    EXPECT_FALSE(service->Open(0));
    EXPECT_FALSE(service->SendShortMsg(0x00643C90)) << "a failed open must not leave a port to send to";
    EXPECT_TRUE(service->Close());
    service->RefreshDevices();
    EXPECT_EQ(service->GetNumDevs(), 0u);
  }
}

TEST(AlsaFormatsTest, DestinationsAreRememberedWithoutTheirRunNumbers) {
  struct Case {
    const char* client;
    const char* port;
    int clientId, portId;
    const char* shown;
    const char* stable;
  };
  const Case cases[] = {
      {"FLUID Synth (4021)", "Synth input port (4021:0)", 128, 0, "FLUID Synth (4021):Synth input port (4021:0) 128:0",
       "FLUID Synth:Synth input port"},
      {"Midi Through", "Midi Through Port-0", 14, 0, "Midi Through:Midi Through Port-0 14:0",
       "Midi Through:Midi Through Port-0"},
      {"TiMidity", "TiMidity port 1", 129, 1, "TiMidity:TiMidity port 1 129:1", "TiMidity:TiMidity port 1"},
      // Only bracketed numbers go; other brackets are part of the name.
      {"Synth (GM) (77)", "in (a:1)", 130, 2, "Synth (GM) (77):in (a:1) 130:2", "Synth (GM):in (a:1)"},
      {"X (12) Y", "()", 131, 0, "X (12) Y:() 131:0", "X Y:()"}};
  for (const Case& c : cases) {
    const MidiDestination d = AlsaDestination(c.client, c.port, c.clientId, c.portId);
    EXPECT_EQ(d.name, c.shown);
    EXPECT_EQ(d.stableName, c.stable);
    EXPECT_EQ(ParseAlsaAddress(d.address), std::make_pair(c.clientId, c.portId)) << d.address;
  }
  for (const char* bad : {"", ":", "128", "128:", ":0", "a:0", "128:0x", "-1:0", "128:0:1", " 128:0"}) {
    EXPECT_EQ(ParseAlsaAddress(bad), std::nullopt) << bad;
  }
}

TEST(AlsaFormatsTest, EachMessageBecomesOneSequencerEvent) {
  snd_midi_event_t* encoder = nullptr;
  ASSERT_GE(snd_midi_event_new(16, &encoder), 0);
  struct Case {
    std::vector<uint8_t> bytes;
    snd_seq_event_type_t type;
    int channel, first, second;  // note and velocity, or parameter and value
  };
  const Case cases[] = {{{0x93, 0x3C, 0x64}, SND_SEQ_EVENT_NOTEON, 3, 0x3C, 0x64},
                        {{0x80, 0x3C, 0x00}, SND_SEQ_EVENT_NOTEOFF, 0, 0x3C, 0},
                        {{0xB2, 0x07, 0x64}, SND_SEQ_EVENT_CONTROLLER, 2, 7, 100},
                        {{0xCF, 0x6B}, SND_SEQ_EVENT_PGMCHANGE, 15, 0, 107},
                        {{0xD1, 0x5A}, SND_SEQ_EVENT_CHANPRESS, 1, 0, 90},
                        {{0xE0, 0x00, 0x40}, SND_SEQ_EVENT_PITCHBEND, 0, 0, 0},  // the centre
                        {{0xE0, 0x7F, 0x7F}, SND_SEQ_EVENT_PITCHBEND, 0, 0, 8191}};
  for (const Case& c : cases) {
    snd_seq_event_t event;
    ASSERT_TRUE(EncodeSequencerEvent(encoder, c.bytes.data(), c.bytes.size(), event)) << int(c.bytes[0]);
    EXPECT_EQ(event.type, c.type) << int(c.bytes[0]);
    if (c.type == SND_SEQ_EVENT_NOTEON || c.type == SND_SEQ_EVENT_NOTEOFF) {
      EXPECT_EQ(event.data.note.channel, c.channel);
      EXPECT_EQ(event.data.note.note, c.first);
      EXPECT_EQ(event.data.note.velocity, c.second);
    } else {
      EXPECT_EQ(event.data.control.channel, c.channel);
      EXPECT_EQ(int(event.data.control.param), c.first);
      EXPECT_EQ(event.data.control.value, c.second);
    }
  }
  // A message cut short, or followed by more, is no single event; the next
  // message does not lean on what came before (no running status).
  const uint8_t cut[] = {0x90, 0x3C};
  const uint8_t twice[] = {0xC0, 0x01, 0xC0};
  const uint8_t clock[] = {0xF8};
  snd_seq_event_t event;
  EXPECT_FALSE(EncodeSequencerEvent(encoder, cut, sizeof cut, event));
  EXPECT_FALSE(EncodeSequencerEvent(encoder, twice, sizeof twice, event));
  ASSERT_TRUE(EncodeSequencerEvent(encoder, clock, sizeof clock, event));
  EXPECT_EQ(event.type, SND_SEQ_EVENT_CLOCK);
  snd_midi_event_free(encoder);
}

TEST(AlsaFormatsTest, QueueTimesKeepTheOrderAndNeverLieInThePast) {
  constexpr int64_t ms = 1'000'000;
  const int64_t epoch = 500 * ms;  // the queue started then
  int64_t last = 0;
  // Each row: when an event is due (0: at once), when it is handed over, and
  // its time on the queue.
  struct Row {
    int64_t due, now, queued;
  };
  const Row rows[] = {
      {0, 600 * ms, 100 * ms},         // at once: now
      {610 * ms, 601 * ms, 110 * ms},  // ahead: at its time
      {605 * ms, 602 * ms, 110 * ms},  // due before the one sent before it: not before that one
      {0, 603 * ms, 110 * ms},         // at once, but behind what waits
      {590 * ms, 700 * ms, 200 * ms},  // late: now
      {700 * ms + 5, 700 * ms, 200 * ms + 5},
  };
  for (const Row& row : rows) EXPECT_EQ(QueueTime(row.due, row.now, epoch, last), row.queued) << row.due;
  const snd_seq_real_time_t time = ToRealTime(2'345'678'901);
  EXPECT_EQ(time.tv_sec, 2u);
  EXPECT_EQ(time.tv_nsec, 345'678'901u);
  EXPECT_EQ(ToRealTime(-5).tv_nsec, 0u);
}

}  // namespace
