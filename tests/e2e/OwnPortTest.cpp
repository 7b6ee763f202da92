// SPDX-License-Identifier: MIT
// Quill's own JACK port on a real server: the connections it makes and
// leaves alone, and a list that follows the server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "JackReceiver.h"
#include "JackReplay.h"
#include "midi/MidiSystem.h"
#include "tests/support/JackServer.h"

namespace {
using namespace std::chrono_literals;
using Names = std::vector<std::string>;
using Message = std::vector<uint8_t>;

class OwnPortTest : public JackTest {
 protected:
  static Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
  }
  /// The connections of `port`, sorted, once they are `expected` (a
  /// connection asked for is made on the MIDI worker) or ten seconds passed.
  static Names ConnectionsOnceThey(const std::string& port, const Names& expected) {
    Names now = Sorted(JackServer::ConnectionsOf(port));
    for (int i = 0; i < 500 && now != expected; ++i) {
      std::this_thread::sleep_for(20ms);
      now = Sorted(JackServer::ConnectionsOf(port));
    }
    return now;
  }

  /// Runs script lines through a replay runner on the server's ports (its
  /// client is client_); returns what it printed.
  static std::string Play(const std::vector<std::string>& lines) {
    return ReplayOnJack([&](ReplayRunner& runner) {
      std::string error;
      for (const std::string& line : lines) ASSERT_TRUE(runner.RunLine(line, error)) << line << ": " << error;
    });
  }

  const std::string client_ = JackServer::UniqueClientName("Quill");
  const std::string ownPort_ = client_ + ":out";
  const std::string file_ =
      (std::filesystem::temp_directory_path() / ("quill-own-port-" + std::to_string(::getpid()) + ".qcf")).string();
};

TEST_F(OwnPortTest, HandMadeConnectionSurvivesPresetChangesAndALoad) {
  JackReceiver chosen(JackServer::UniqueClientName("chosen")), patched(JackServer::UniqueClientName("patched"));
  ASSERT_TRUE(chosen.Ready() && patched.Ready());
  const Names both = Sorted({chosen.PortName(), patched.PortName()});
  const std::string printed = ReplayOnJack([&](ReplayRunner& runner) {
    // Every fresh preset names the first receiver; the second is patched in
    // by hand, as a patchbay or jack_connect would.
    ASSERT_TRUE(JackServer::ConnectPorts(ownPort_, patched.PortName()));
    std::string error;
    for (int change = 0; change < 10; ++change) {
      ASSERT_TRUE(runner.RunLine("slot " + std::to_string(change % 3 + 1), error));
      EXPECT_EQ(ConnectionsOnceThey(ownPort_, both), both) << "after change " << change;
    }
    ASSERT_TRUE(runner.RunLine("save " + file_, error));
    ASSERT_TRUE(runner.RunLine("load " + file_, error));
    EXPECT_EQ(ConnectionsOnceThey(ownPort_, both), both) << "after Load";
  });
  // The chosen receiver heard every programme change (the start's, ten
  // slot changes', Load's), the patched one every one after the start's
  // (which waits, with the first connection, until that is in place, and so
  // may reach the patch too).
  const auto sent = WireMessages(printed);
  ASSERT_EQ(sent.size(), 12u) << printed;
  EXPECT_EQ(chosen.WaitFor(sent.size(), 10s), sent);
  patched.WaitFor(sent.size() - 1, 10s);
  auto heard = patched.Messages();  // all delivered: the runner's port waited for that as it closed
  if (heard.size() == sent.size()) heard.erase(heard.begin());
  EXPECT_EQ(heard, std::vector<Message>(sent.begin() + 1, sent.end()));
  std::filesystem::remove(file_);
}

TEST_F(OwnPortTest, PresetsFindTheirReceiversByNameAfterTheOrderChanges) {
  const std::string first = JackServer::UniqueClientName("first"), second = JackServer::UniqueClientName("second");
  {
    JackReceiver one(first), two(second);  // listed in this order
    ASSERT_TRUE(one.Ready() && two.Ready());
    Play({"slot 2", "set MIDI out port name = " + two.PortName(), "slot 3", "set MIDI out port = 0", "save " + file_});
    // A port chosen in the box gets the preset's programme change.
    EXPECT_TRUE(two.WaitForLast({0xC0, 0x6B}, 10s));
  }
  // Another day: the receivers start the other way round.
  server_.Stop();
  ASSERT_TRUE(server_.Start());
  JackReceiver two(second), one(first);
  ASSERT_TRUE(one.Ready() && two.Ready());
  Play({"load " + file_, "slot 2", "set MIDI patch = 5", "slot 3", "set MIDI patch = 6"});
  EXPECT_TRUE(two.WaitForLast({0xC0, 0x05}, 10s)) << "slot 2 plays on the second receiver, now listed first";
  EXPECT_TRUE(one.WaitForLast({0xC0, 0x06}, 10s)) << "slot 3 plays on the first, now listed second";
  for (const auto& message : one.Messages()) EXPECT_NE(message, (Message{0xC0, 0x05}));
  std::filesystem::remove(file_);
}

TEST_F(OwnPortTest, ReceiverThatStartsLaterIsListedAndCanBeChosen) {
  std::mutex mutex;
  std::condition_variable heard;
  int reports = 0;
  JackReceiver early(JackServer::UniqueClientName("early"));
  ASSERT_TRUE(early.Ready());
  auto service = CreateMidiOutService(MidiSystem::Jack, client_);
  service->SetDevicesChangedHandler([&] {
    std::lock_guard lock(mutex);
    ++reports;
    heard.notify_all();
  });
  ASSERT_TRUE(FindDevice(*service, early.PortName()));

  JackReceiver late(JackServer::UniqueClientName("late"));
  ASSERT_TRUE(late.Ready());
  // A client's first cycles run late on a loaded machine without real-time
  // scheduling, and what it misses then is lost to it; a synthesiser a user
  // starts has long settled by the time it is chosen.
  std::this_thread::sleep_for(300ms);
  // The service reports the change on its own; the owner then refreshes.
  std::optional<unsigned> device;
  for (int seen = 0; !device;) {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(heard.wait_for(lock, 10s, [&] { return reports > seen; })) << "no report of the new receiver";
    seen = reports;
    lock.unlock();
    service->RefreshDevices();
    device = FindDevice(*service, late.PortName());
  }
  ASSERT_TRUE(service->Open(*device));
  ASSERT_TRUE(service->SendShortMsg(0x0507C2));
  EXPECT_TRUE(late.WaitForLast({0xC2, 0x07}, 10s));
  EXPECT_TRUE(early.Messages().empty());
  service->SetDevicesChangedHandler({});
}

TEST_F(OwnPortTest, TwoQuillsOfOneNameEachConnectTheirOwnPortOnly) {
  // The same client name twice: the server names the second one apart for
  // the others (PipeWire still tells it the first name), so each service
  // connects the port it holds, not one it builds a name for.
  JackReceiver a(JackServer::UniqueClientName("a")), b(JackServer::UniqueClientName("b"));
  ASSERT_TRUE(a.Ready() && b.Ready());
  auto first = CreateMidiOutService(MidiSystem::Jack, client_);
  auto second = CreateMidiOutService(MidiSystem::Jack, client_);
  const auto toA = FindDevice(*first, a.PortName()), toB = FindDevice(*second, b.PortName());
  ASSERT_TRUE(toA && toB);
  ASSERT_TRUE(first->Open(*toA));
  ASSERT_TRUE(second->Open(*toB));
  ASSERT_TRUE(first->SendShortMsg(0x01C0));
  ASSERT_TRUE(second->SendShortMsg(0x02C0));
  EXPECT_TRUE(a.WaitForLast({0xC0, 0x01}, 10s));
  EXPECT_TRUE(b.WaitForLast({0xC0, 0x02}, 10s));
  const Names fromA = JackServer::ConnectionsOf(a.PortName()), fromB = JackServer::ConnectionsOf(b.PortName());
  ASSERT_EQ(fromA.size(), 1u);
  ASSERT_EQ(fromB.size(), 1u);
  EXPECT_NE(fromA, fromB) << "two ports of their own";
  for (const Message& m : a.Messages()) EXPECT_NE(m, (Message{0xC0, 0x02}));
  for (const Message& m : b.Messages()) EXPECT_NE(m, (Message{0xC0, 0x01}));
  // Each takes away its own connection only.
  first->Close();
  EXPECT_EQ(ConnectionsOnceThey(a.PortName(), {}), Names{});
  EXPECT_EQ(JackServer::ConnectionsOf(b.PortName()), fromB);
}

}  // namespace
