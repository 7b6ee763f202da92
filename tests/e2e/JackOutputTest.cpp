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
#include "tablet/EventTime.h"
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

TEST_F(JackOutputTest, StalledOrVanishedServerIsWaitedForAndJoinedAgainByItself) {
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
  auto linkBecomes = [&](MidiLink link) {
    for (int i = 0; i < 1000 && service->Link() != link; ++i) std::this_thread::sleep_for(10ms);
    return service->Link() == link;
  };
  ASSERT_TRUE(linkBecomes(MidiLink::Connected));

  // A stalled server (as under a debugger or a hung driver): sends return at
  // once and are kept; the port says so, and once the server runs again
  // everything arrives in order, with no port opened again.
  server_.Pause();
  EXPECT_TRUE(linkBecomes(MidiLink::Stalled));
  for (uint8_t value = 0; value < 100; ++value) EXPECT_TRUE(service->SendShortMsg(0x07B0 | uint32_t(value) << 16));
  server_.Resume();
  EXPECT_TRUE(linkBecomes(MidiLink::Connected));
  EXPECT_TRUE(receiver_->WaitForLast({0xB0, 0x07, 99}, 10s));
  const auto all = receiver_->Messages();
  EXPECT_EQ(std::vector<Message>(all.end() - 100, all.end()).front(), (Message{0xB0, 0x07, 0}));

  // A server that goes away and comes back, the receiver with it: the port
  // joins it again by itself and connects the receiver by its name.
  for (int restart = 0; restart < 3; ++restart) {
    SCOPED_TRACE(restart);
    receiver_.reset();
    server_.Stop();
    EXPECT_TRUE(linkBecomes(MidiLink::Unconnected));
    ASSERT_TRUE(server_.Start());
    ASSERT_TRUE(receiver_.emplace(JackServer::UniqueClientName("receiver")).Ready());
    ASSERT_TRUE(linkBecomes(MidiLink::Connected));
    ASSERT_TRUE(service->SendShortMsg(0x003C80));
    EXPECT_TRUE(receiver_->WaitForLast({0x80, 0x3C, 0x00}, 10s));
  }
}

TEST_F(JackOutputTest, ABufferSizeChangeWhilePlayingLosesAndReordersNothing) {
  auto service = CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
  const auto device = FindDevice(*service, receiver_->PortName());
  ASSERT_TRUE(device);
  ASSERT_TRUE(service->Open(*device));
  // The server's period changes three times while the pen plays a message
  // every millisecond, each placed by its time.
  std::thread changes([] {
    for (int frames : {512, 128, JackServer::kPeriod}) {
      std::this_thread::sleep_for(150ms);
      EXPECT_TRUE(JackServer::SetBufferSize(frames)) << frames;
    }
  });
  std::vector<Message> expected;
  for (int i = 0; i < 600; ++i) {
    const uint8_t controller = uint8_t(i / 128), value = uint8_t(i % 128);
    expected.push_back({0xB3, controller, value});
    ASSERT_TRUE(service->SendShortMsgAt(0xB3u | controller << 8 | uint32_t(value) << 16, MonotonicNow()));
    std::this_thread::sleep_for(1ms);
  }
  changes.join();
  EXPECT_EQ(receiver_->WaitFor(expected.size(), 20s), expected);
}
}  // namespace
