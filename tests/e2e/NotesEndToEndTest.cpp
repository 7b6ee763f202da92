// SPDX-License-Identifier: MIT
// No note hangs at a real receiver on a private JACK server, for a random performance through quill-replay and for a
// window closed, or told to end by a signal, while a chord sounds.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "JackReceiver.h"
#include "JackReplay.h"
#include "tests/support/JackServer.h"
#include "tests/support/RandomPerformance.h"

extern char** environ;

namespace {
using namespace std::chrono_literals;
using Message = std::vector<uint8_t>;

using NotesEndToEnd = JackTest;

TEST_F(NotesEndToEnd, ARandomPerformanceLeavesNothingSoundingAtEitherReceiver) {
  // Two receivers, the server's only MIDI inputs: ports 0 and 1 of the box.
  std::optional<JackReceiver> receivers[2];
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(receivers[i].emplace(JackServer::UniqueClientName("receiver" + std::to_string(i))).Ready());
  }
  std::vector<std::string> script;
  for (const PerformanceLine& line : RandomPerformance(7, 300, 2, QUILL_FRESH_CONFIG)) script.push_back(line.text);
  // Played at a performer's pace, a line every two milliseconds.
  int status = -1;
  const std::string printed = RunReplay("--midi=jack", status, script, 2ms);
  ASSERT_EQ(status, 0) << printed;

  // Every message the port accepted arrives at one receiver or the other.
  const size_t expected = WireMessages(printed).size();
  auto first = receivers[0]->Messages();
  auto second = receivers[1]->WaitFor(expected - first.size(), 20s);
  first = receivers[0]->Messages();
  ASSERT_EQ(first.size() + second.size(), expected);
  NoteLedger ledger;
  for (const Message& message : first) ledger.Hear(0, message);
  for (const Message& message : second) ledger.Hear(1, message);
  EXPECT_GT(ledger.NoteOns(), 20);
  EXPECT_EQ(ledger.Sounding(), 0);
  EXPECT_EQ(ledger.StrayNoteOffs(), 0);
  EXPECT_EQ(ledger.ExpressionAwayFromRest(), 0);
}

#ifdef QUILL_PLAYING_WINDOW
TEST_F(NotesEndToEnd, AWindowClosedOrSignalledWhileAChordSoundsStopsIt) {
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  const std::pair<const char*, int> endings[] = {{"close", 0}, {"wait", SIGTERM}, {"wait", SIGINT}, {"wait", SIGHUP}};
  for (const auto& [mode, signal] : endings) {
    const std::string what = std::string(mode) + " " + std::to_string(signal);
    const size_t before = receiver.Messages().size();
    // The window reads when to play on its standard input and tells on its
    // standard output when the chord sounds.
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
    std::string client = JackServer::UniqueClientName("Quill");
    char* argv[] = {const_cast<char*>(QUILL_PLAYING_WINDOW), const_cast<char*>(mode), client.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, QUILL_PLAYING_WINDOW, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    // Its programme change shows that the new connection carries messages
    // (on a loaded machine the very first ones after a JACK connection can
    // be lost: that is the port's business, not the notes').
    receiver.WaitFor(before + 1, 5s);
    EXPECT_EQ(::write(in[1], "play\n", 5), 5);
    std::FILE* said = ::fdopen(out[0], "r");
    char line[64] = "";
    EXPECT_TRUE(std::fgets(line, sizeof line, said) && std::string(line) == "sounding\n") << what;
    if (signal != 0) ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::fclose(said);
    ::close(in[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what << ": status " << status;

    // The chord's three note-ons, then the same three notes' note-offs.
    const auto received = receiver.WaitFor(before + 8, 10s);
    std::vector<Message> notes;
    for (size_t i = before; i < received.size(); ++i) {
      if ((received[i][0] & 0xE0) == 0x80) notes.push_back(received[i]);
    }
    ASSERT_EQ(notes.size(), 6u) << what << ": " << ::testing::PrintToString(notes);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(notes[i], (Message{0x90, notes[i][1], 0x32})) << what;
      EXPECT_EQ(notes[i + 3], (Message{0x80, notes[i][1], 0x00})) << what;
    }
  }
}
#endif
}  // namespace
