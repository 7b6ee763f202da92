// SPDX-License-Identifier: MIT
// What the ALSA client computes without the sequencer device: the names of
// destinations, their addresses and the events sent for Quill's messages.
#include "midi/alsa/AlsaFormats.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
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
}  // namespace
