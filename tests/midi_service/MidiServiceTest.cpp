// SPDX-License-Identifier: MIT
// The real MIDI service where no MIDI system is running: what goes on the
// wire, the system names, and that a missing system fails cleanly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiSystem.h"
#include "midi/ShortMessage.h"
#include "midi/alsa/AlsaClient.h"

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
}  // namespace
