// SPDX-License-Identifier: MIT
// Quill's MIDI output on a real JACK server with a real receiver.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "JackReceiver.h"
#include "JackServer.h"
#include "midi/MidiSystem.h"
#include "midi/RtMidiOutService.h"
#include "tools/replay/ReplayRunner.h"

namespace {
using namespace std::chrono_literals;
using Message = std::vector<uint8_t>;

class JackOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
    ASSERT_TRUE(server_.Start()) << "jackd did not start";
  }

  static int FindDevice(MidiOutService& service, const std::string& name) {
    const unsigned count = service.GetNumDevs();
    for (unsigned i = 0; i < count; ++i) {
      if (service.GetDeviceName(i) == name) return static_cast<int>(i);
    }
    return -1;
  }

  JackServer server_;
};

/// The JACK service under a client name of this process's own.
std::unique_ptr<MidiOutService> JackService() {
  return CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
}

/// Runs script lines through quill-replay's runner with its output going to
/// the real JACK service, and returns what it printed.
std::string Replay(const std::vector<std::string>& lines) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  {
    ReplayOutput out(stream);
    auto port = std::make_unique<PrintingRealPort>(JackService(), out);
    ReplayRunner runner(std::move(port), out, false);
    std::string error;
    for (const auto& line : lines) EXPECT_TRUE(runner.RunLine(line, error)) << line << ": " << error;
  }
  std::fclose(stream);
  std::string printed(text, size);
  std::free(text);
  return printed;
}

/// The wire form of the runner's "90 3D 40" lines: programme changes are 2 bytes.
std::vector<Message> WireMessages(const std::string& printed) {
  std::vector<Message> messages;
  std::istringstream lines(printed);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '!') continue;
    unsigned status = 0, data1 = 0, data2 = 0;
    if (std::sscanf(line.c_str(), "%x %x %x", &status, &data1, &data2) != 3) continue;
    Message message = {uint8_t(status), uint8_t(data1), uint8_t(data2)};
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) message.pop_back();
    messages.push_back(message);
  }
  return messages;
}

/// Runs quill-replay with `arguments` and returns what it printed.
std::string RunReplay(const std::string& arguments) {
  std::string printed;
  if (std::FILE* pipe = ::popen((std::string("'") + QUILL_REPLAY + "' " + arguments).c_str(), "r")) {
    char chunk[4096];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) printed.append(chunk, n);
    EXPECT_EQ(::pclose(pipe), 0) << arguments;
  }
  return printed;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_F(JackOutputTest, GoldenScriptsThroughQuillReplayArriveByteForByte) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  // The scripts that run with one device print, through the real port, what
  // they print with the pretended one; and the receiver gets every byte.
  for (const char* name : {"startup", "chords", "controllers", "note-band-change", "set-lines", "slots", "wrapping"}) {
    const std::string base = std::string(QUILL_GOLDEN_DIR) + "/" + name;
    const size_t before = receiver.Messages().size();
    const std::string printed = RunReplay("--midi=jack '" + base + ".qrs'");
    EXPECT_EQ(printed, ReadFile(base + ".out")) << name;
    const auto expected = WireMessages(printed);
    auto received = receiver.WaitFor(before + expected.size(), 5s);
    received.erase(received.begin(), received.begin() + std::ptrdiff_t(before));
    EXPECT_EQ(received, expected) << name;
  }
}

TEST_F(JackOutputTest, PortListShowsTheReceiver) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  std::vector<MidiSystem> systems = {MidiSystem::Jack};
  // Without an ALSA sequencer the automatic choice must find the server.
  if (::access("/dev/snd/seq", F_OK) != 0) systems.push_back(MidiSystem::Automatic);
  for (MidiSystem system : systems) {
    auto service = CreateMidiOutService(system, JackServer::UniqueClientName("Quill"));
    EXPECT_GE(FindDevice(*service, receiver.PortName()), 0) << "system " << int(system);
    EXPECT_EQ(service->GetDeviceName(service->GetNumDevs()), "");
  }
}

TEST_F(JackOutputTest, ReplayedPhraseArrivesByteForByteInOrder) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  // The receiver is the server's only MIDI input, so it is device 0, the
  // port of every default configuration.
  const std::string printed = Replay({
      "set MIDI patch = 19",
      "set MIDI channel = 3",
      "set X cc = 7",
      "set Pressure cc = 11",
      "packet 1 1 960 1065 400 0 900 0",
      "packet 1 1 960 900 600 0 900 0",
      "packet 1 1 960 600 800 0 900 0",
      "press",
      "packet 1 3 200 600 800 0 900 0",
      "packet 1 3 1500 600 300 0 900 0",
      "release",
      "packet 1 0 960 600 0 0 900 0",
      "slot 2",
      "packet 1 1 100 100 1023 0 900 0",
      "packet 1 0 100 100 0 0 900 0",
  });
  EXPECT_EQ(printed.find('!'), std::string::npos) << printed;
  const auto expected = WireMessages(printed);
  ASSERT_GE(expected.size(), 12u) << printed;
  EXPECT_EQ(receiver.WaitFor(expected.size(), 5s), expected) << printed;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(receiver.Messages().size(), expected.size());
}

TEST_F(JackOutputTest, MissingPortShowsTheOpenFailure) {
  // No receiver at all: configuration 1's port 0 does not exist.
  EXPECT_EQ(Replay({}),
            "! Unable to open the selected MIDI Out device!\n"
            "! MIDI error\n");

  // The receiver goes away during the performance; the next slot reopens its port.
  auto receiver = std::make_unique<JackReceiver>(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver->Ready());
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  {
    ReplayOutput out(stream);
    ReplayRunner runner(std::make_unique<PrintingRealPort>(JackService(), out), out, false);
    std::string error;
    const std::string gone = receiver->PortName();
    receiver.reset();
    ASSERT_TRUE(JackServer::WaitForPort(gone, false));
    ASSERT_TRUE(runner.RunLine("slot 2", error));
    ASSERT_TRUE(runner.RunLine("packet 1 1 960 900 600 0 900 0", error));
  }
  std::fclose(stream);
  std::string printed(text, size);
  std::free(text);
  const std::string start = "C0 6B 00\n! Unable to open the selected MIDI Out device!\n! MIDI error\n";
  EXPECT_EQ(printed.substr(0, start.size()), start) << printed;
  // Every later message fails too; nothing is printed as sent.
  EXPECT_EQ(printed.find(" 00\n", start.size()), std::string::npos) << printed;
  EXPECT_NE(printed.find("! MIDI error\n", start.size()), std::string::npos) << printed;
}

TEST_F(JackOutputTest, BurstLargerThanRtMidisBufferArrivesWhole) {
  // Packets that queued up while the window was busy go out back to back:
  // more than RtMidi's buffer holds, so the service must pace them rather
  // than refuse them, spin or lose any.
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  RtMidiOutService service(RtMidiOutService::Api::Jack, MidiWaitLimits{}, JackServer::UniqueClientName("Quill"));
  const int device = FindDevice(service, receiver.PortName());
  ASSERT_GE(device, 0);
  ASSERT_TRUE(service.Open(device));
  std::vector<Message> expected;
  for (int i = 0; i < 4000; ++i) {
    const uint8_t controller = uint8_t(i / 128 % 120), value = uint8_t(i % 128);
    expected.push_back({0xB5, controller, value});
    ASSERT_TRUE(service.SendShortMsg(0xB5u | controller << 8 | uint32_t(value) << 16)) << "message " << i;
  }
  EXPECT_EQ(receiver.WaitFor(expected.size(), 10s), expected);
}

TEST_F(JackOutputTest, StalledServerFailsSendsAndReopeningRecovers) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  RtMidiOutService service(RtMidiOutService::Api::Jack, MidiWaitLimits{}, JackServer::UniqueClientName("Quill"));
  const int device = FindDevice(service, receiver.PortName());
  ASSERT_GE(device, 0);
  // Before any port is open RtMidi would buffer sends and, once its buffer is
  // full, spin for ever: they must fail instead, every one of them.
  int refused = 0;
  for (int i = 0; i < 5000; ++i) refused += !service.SendShortMsg(0x00643C90);
  EXPECT_EQ(refused, 5000);
  ASSERT_TRUE(service.Open(device));
  ASSERT_TRUE(service.SendShortMsg(0x643C90));
  ASSERT_TRUE(receiver.WaitForLast({0x90, 0x3C, 0x64}, 5s));

  server_.Pause();
  // Sends return at once and start failing soon; none may hang.
  int sent = 0;
  while (sent < 5000 && service.SendShortMsg(0x07B0 | (uint32_t(sent % 128) << 16))) {
    ++sent;
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_LT(sent, 5000) << "sends kept succeeding on a stopped server";
  EXPECT_FALSE(service.SendShortMsg(0x003C80)) << "a stalled port must keep failing";
  EXPECT_TRUE(service.Close());
  EXPECT_FALSE(service.Open(device)) << "nothing can open while the server is stopped";
  EXPECT_FALSE(service.SendShortMsg(0x003C80));

  server_.Resume();
  ASSERT_TRUE(service.Open(device));
  ASSERT_TRUE(service.SendShortMsg(0x003C80));
  EXPECT_TRUE(receiver.WaitForLast({0x80, 0x3C, 0x00}, 5s));
}

TEST_F(JackOutputTest, VanishedServerFailsSendsAndANewServerRecovers) {
  auto receiver = std::make_unique<JackReceiver>(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver->Ready());
  RtMidiOutService service(RtMidiOutService::Api::Jack, MidiWaitLimits{}, JackServer::UniqueClientName("Quill"));
  ASSERT_TRUE(service.Open(0));
  ASSERT_TRUE(service.SendShortMsg(0x643C90));

  receiver.reset();
  server_.Stop();
  int sent = 0;
  while (sent < 5000 && service.SendShortMsg(0x003C80)) {
    ++sent;
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_LT(sent, 5000) << "sends kept succeeding without a server";
  EXPECT_TRUE(service.Close());
  EXPECT_FALSE(service.Open(0));
  EXPECT_EQ(service.GetNumDevs(), 0u);

  // The server comes back (same name, as after a restart): opening again works.
  ASSERT_TRUE(server_.Start());
  receiver = std::make_unique<JackReceiver>(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver->Ready());
  ASSERT_TRUE(service.Open(0));
  ASSERT_TRUE(service.SendShortMsg(0x003C80));
  EXPECT_TRUE(receiver->WaitForLast({0x80, 0x3C, 0x00}, 5s));

  // A restart while no port is open is noticed at the next opening.
  ASSERT_TRUE(service.Close());
  receiver.reset();  // libjack cannot close a client after its server went
  server_.Stop();
  ASSERT_TRUE(server_.Start());
  JackReceiver third(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(third.Ready());
  ASSERT_TRUE(service.Open(0));
  ASSERT_TRUE(service.SendShortMsg(0x643C90));
  EXPECT_TRUE(third.WaitForLast({0x90, 0x3C, 0x64}, 5s));
}

TEST_F(JackOutputTest, PerformanceOnStalledServerShowsMidiErrorUntilPortReopened) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  ReplayOutput out(stream);
  auto printed = [&] {
    out.Flush();
    std::fflush(stream);
    return std::string(text, size);
  };
  {
    ReplayRunner runner(std::make_unique<PrintingRealPort>(JackService(), out), out, false);
    std::string error;
    ASSERT_EQ(printed(), "C0 6B 00\n");

    server_.Pause();
    // The pen keeps crossing bands; within a moment the sends fail.
    size_t errorAt = std::string::npos;
    for (int i = 0; i < 400 && errorAt == std::string::npos; ++i) {
      ASSERT_TRUE(runner.RunLine(i % 2 ? "packet 1 1 960 100 600 0 900 0" : "packet 1 1 960 1000 600 0 900 0", error));
      errorAt = printed().find("! MIDI error\n");
      std::this_thread::sleep_for(5ms);
    }
    ASSERT_NE(errorAt, std::string::npos) << "no send failed on a stopped server";
    // From then on nothing is sent until the port is chosen again.
    ASSERT_TRUE(runner.RunLine("packet 1 1 960 500 600 0 900 0", error));
    std::string after = printed().substr(errorAt);
    EXPECT_EQ(after.find(" 00\n"), std::string::npos) << after;

    // Reopening the port (another slot) while the server is still stopped
    // cannot open it...
    const size_t before = printed().size();
    ASSERT_TRUE(runner.RunLine("slot 2", error));
    EXPECT_EQ(printed().substr(before), "! Unable to open the selected MIDI Out device!\n! MIDI error\n");

    // ...once it runs again, reopening recovers the performance.
    server_.Resume();
    const size_t resumed = printed().size();
    ASSERT_TRUE(runner.RunLine("slot 1", error));
    ASSERT_TRUE(runner.RunLine("packet 1 1 960 100 600 0 900 0", error));
    ASSERT_TRUE(runner.RunLine("packet 1 0 960 100 0 0 900 0", error));
    after = printed().substr(resumed);
    EXPECT_EQ(after.find('!'), std::string::npos) << after;
    ASSERT_EQ(after.substr(0, 9), "C0 6B 00\n") << after;
    ASSERT_NE(after.find("\n80 "), std::string::npos) << after;
    const std::string last = after.substr(after.rfind('\n', after.size() - 2) + 1);
    unsigned status = 0, data1 = 0, data2 = 0;
    ASSERT_EQ(std::sscanf(last.c_str(), "%x %x %x", &status, &data1, &data2), 3) << after;
    EXPECT_TRUE(receiver.WaitForLast({uint8_t(status), uint8_t(data1), uint8_t(data2)}, 5s)) << after;
  }
  std::fclose(stream);
  std::free(text);
}
}  // namespace
