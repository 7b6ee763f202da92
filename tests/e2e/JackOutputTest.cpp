// SPDX-License-Identifier: MIT
// Quill's MIDI output on a real JACK server with a real receiver.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "JackReceiver.h"
#include "JackReplay.h"
#include "midi/MidiSystem.h"
#include "tests/support/JackServer.h"
#include "tools/replay/ReplayRunner.h"

namespace {
using namespace std::chrono_literals;
using Message = std::vector<uint8_t>;

class JackOutputTest : public JackTest {
 protected:
  void SetUp() override {
    JackTest::SetUp();
    if (!IsSkipped() && !HasFatalFailure()) {
      ASSERT_TRUE(receiver_.emplace(JackServer::UniqueClientName("receiver")).Ready());
    }
  }

  std::optional<JackReceiver> receiver_;
};

TEST_F(JackOutputTest, GoldenScriptsThroughQuillReplayArriveByteForByteInOrder) {
  // The receiver is the server's only MIDI input, so it is device 0, the port
  // of every default configuration. Through the real port the scripts print
  // what they print with the pretended one, and the receiver gets every byte.
  for (const char* name : {"startup", "chords", "controllers", "note-band-change", "set-lines", "slots", "wrapping",
                           "notes-channel-change", "notes-chord-change", "notes-end-of-script", "notes-generate-off",
                           "notes-port-reopened", "panic"}) {
    const std::string base = std::string(QUILL_GOLDEN_DIR) + "/" + name;
    const size_t before = receiver_->Messages().size();
    int status = -1;
    const std::string printed = RunReplay("--midi=jack '" + base + ".qrs'", status);
    EXPECT_EQ(status, 0) << name;
    std::ifstream golden(base + ".out", std::ios::binary);
    EXPECT_EQ(printed, std::string(std::istreambuf_iterator<char>(golden), {})) << name;
    const auto expected = WireMessages(printed);
    auto received = receiver_->WaitFor(before + expected.size(), 10s);
    received.erase(received.begin(), received.begin() + std::ptrdiff_t(before));
    EXPECT_EQ(received, expected) << name;
  }
}

TEST_F(JackOutputTest, PortListShowsTheReceiverAndAMissingPortFailsToOpen) {
  std::vector<MidiSystem> systems = {MidiSystem::Jack};
  // Without an ALSA sequencer the automatic choice must find the server.
  if (::access("/dev/snd/seq", F_OK) != 0) systems.push_back(MidiSystem::Automatic);
  for (MidiSystem system : systems) {
    auto service = CreateMidiOutService(system, JackServer::UniqueClientName("Quill"));
    EXPECT_TRUE(FindDevice(*service, receiver_->PortName())) << "system " << int(system);
    EXPECT_EQ(service->GetDeviceName(service->GetNumDevs()), "");
  }

  // Without the receiver, configuration 1's port 0 does not exist.
  const std::string gone = receiver_->PortName();
  receiver_.reset();
  ASSERT_TRUE(JackServer::WaitForPort(gone, false));
  EXPECT_EQ(ReplayOnJack([](ReplayRunner&) {}), "! Unable to open the selected MIDI Out device!\n! MIDI error\n");
}

TEST_F(JackOutputTest, StalledOrVanishedServerFailsSendsAndIsJoinedAgain) {
  auto service = CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
  auto device = FindDevice(*service, receiver_->PortName());
  ASSERT_TRUE(device);
  // Before any port is open sends fail, every one of them (nothing piles up
  // for a connection made later).
  int refused = 0;
  for (int i = 0; i < 5000; ++i) refused += !service->SendShortMsg(0x00643C90);
  EXPECT_EQ(refused, 5000);

  // A burst far larger than a server cycle carries (packets that queued up
  // while the window was busy) is delivered over several cycles, not refused
  // or lost.
  ASSERT_TRUE(service->Open(*device));
  std::vector<Message> expected;
  for (int i = 0; i < 4000; ++i) {
    const uint8_t controller = uint8_t(i / 128 % 120), value = uint8_t(i % 128);
    expected.push_back({0xB5, controller, value});
    ASSERT_TRUE(service->SendShortMsg(0xB5u | controller << 8 | uint32_t(value) << 16)) << "message " << i;
  }
  {
    const std::vector<Message> got = receiver_->WaitFor(expected.size(), 20s);
    size_t first = 0;
    while (first < got.size() && first < expected.size() && got[first] == expected[first]) ++first;
    ASSERT_EQ(got, expected) << "size " << got.size() << " first difference at " << first << " got "
                             << (first < got.size() ? testing::PrintToString(got[first]) : "-");
  }

  // A stalled server (as under a debugger or a hung driver), then one that
  // went away and came back under the same name: sends return at once and
  // start failing soon, none may hang, nothing opens meanwhile, and the port
  // is open again afterwards.
  for (const bool vanishes : {false, true}) {
    SCOPED_TRACE(vanishes ? "server gone" : "server stalled");
    if (vanishes) {
      receiver_.reset();
      server_.Stop();
    } else {
      server_.Pause();
    }
    int sent = 0;
    while (sent < 5000 && service->SendShortMsg(0x07B0 | (uint32_t(sent % 128) << 16))) {
      ++sent;
      std::this_thread::sleep_for(1ms);
    }
    EXPECT_LT(sent, 5000) << "sends kept succeeding without a running server";
    EXPECT_FALSE(service->SendShortMsg(0x003C80)) << "a stalled port must keep failing";
    EXPECT_TRUE(service->Close());
    EXPECT_FALSE(service->Open(*device));
    if (vanishes) {
      service->RefreshDevices();
      EXPECT_EQ(service->GetNumDevs(), 0u);
      ASSERT_TRUE(server_.Start());
      ASSERT_TRUE(receiver_.emplace(JackServer::UniqueClientName("receiver")).Ready());
      device = FindDevice(*service, receiver_->PortName(), true);
      ASSERT_TRUE(device);
    } else {
      server_.Resume();
    }
    ASSERT_TRUE(service->Open(*device));
    ASSERT_TRUE(service->SendShortMsg(0x003C80));
    EXPECT_TRUE(receiver_->WaitForLast({0x80, 0x3C, 0x00}, 10s));
  }
}
}  // namespace
