// SPDX-License-Identifier: MIT
// quill-replay's runner: the lines it refuses, set lines, where a script
// stops, and the recorded gestures it plays.
#include "tools/replay/ReplayRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/RandomPerformance.h"
#include "tools/replay/RecordingPlayback.h"
#include "tools/replay/ScriptFile.h"

namespace {
// A runner writing into a temporary file, one device.
// The file is declared first so that it closes after the output's last flush.
struct RunnerRig {
  RunnerRig() : out(file.get()), runner(std::make_unique<PrintingDevices>(1, out), out, true) {}
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::tmpfile(), &std::fclose};
  ReplayOutput out;
  ReplayRunner runner;
};

// Plays a recording of tests/tablet/data, any maker's, into a runner started
// as the window is, and returns what it printed; no lines if it was refused.
std::vector<std::string> Play(const std::string& name) {
  std::string error;
  const auto recording = ReadTabletRecording(std::string(QUILL_TABLET_DATA) + "/" + name, error);
  EXPECT_TRUE(recording) << error;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::tmpfile(), &std::fclose};
  {
    ReplayOutput out(file.get());
    ReplayRunner runner(std::make_unique<PrintingDevices>(1, out), out, false);
    if (!recording || !PlayTabletRecording(*recording, runner, out, {TabletMakers::Any, true})) return {};
  }
  std::rewind(file.get());
  std::vector<std::string> lines;
  for (char buffer[256]; std::fgets(buffer, sizeof buffer, file.get());) {
    lines.emplace_back(buffer);
    if (lines.back().ends_with('\n')) lines.back().pop_back();
  }
  return lines;
}

TEST(RecordingPlayback, EveryRecordedGestureStopsTheNotesItStarted) {
  struct Case {
    const char* file;
    int notes;       // note-ons the gesture plays
    int mostAtOnce;  // notes sounding together at most (a chord: more than one)
  };
  const Case cases[] = {{"wacom-intuos4-6x9-stylus-drag.evemu", 8, 1},  {"wacom-intuos4-6x9-stylus-move.evemu", 0, 0},
                        {"wacom-intuos4-6x9-stylus-tap.evemu", 1, 1},   {"genius-easypen-i405x.evemu", 0, 0},
                        {"made-here-intuos4-eraser-drag.evemu", 24, 3}, {"made-here-toolless-pen-tap.evemu", 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<std::string> played = Play(c.file);
    NoteLedger ledger;
    int atOnce = 0, packets = 0;
    // The packet that first presses, and the one the first note came with:
    // a note starts at the touch, not at the first move after it.
    int firstPressing = 0, firstNote = 0;
    for (const std::string& line : played) {
      unsigned status = 0, data1 = 0, data2 = 0;
      unsigned cursor, buttons, pressure;
      int x, y;
      if (line.starts_with(">")) {
        ++packets;
        if (std::sscanf(line.c_str(), "> %u %u %d %d %u", &cursor, &buttons, &x, &y, &pressure) == 5 && pressure > 0 &&
            firstPressing == 0) {
          firstPressing = packets;
        }
      }
      if (line.size() != 8 || std::sscanf(line.c_str(), "%x %x %x", &status, &data1, &data2) != 3) continue;
      ledger.Hear(0, {uint8_t(status), uint8_t(data1), uint8_t(data2)});
      if ((status & 0xF0) == 0x90 && firstNote == 0) firstNote = packets;
      atOnce = std::max(atOnce, ledger.Sounding());
    }
    EXPECT_GT(packets, 20);
    if (c.notes > 0) {
      EXPECT_EQ(firstNote, firstPressing);
    }
    EXPECT_EQ(ledger.NoteOns(), c.notes);
    EXPECT_EQ(atOnce, c.mostAtOnce);
    EXPECT_EQ(ledger.Sounding(), 0) << "a note still sounds";
    EXPECT_EQ(ledger.StrayNoteOffs(), 0) << "a note-off without its note-on";
  }
}

}  // namespace

TEST(ReplayRunner, MalformedLinesAreRefusedWithAReason) {
  const char* malformed[] = {"packet 1 2 3",
                             "packet 1 2 3 4 5 6 7 8 9",
                             "packet 1 2 3 4 5 6 7 x",
                             "packet 1 2 3 4 5 6 7 --8",
                             "screen 1 100",
                             "screen 100",
                             "area -1 5",
                             "slot 0",
                             "slot 13",
                             "slot one",
                             "press now",
                             "copy 2",
                             "set Scale=5",
                             "set scale = 5",
                             "set",
                             "set Picture",
                             "set Scale 5",
                             "picture",
                             "load",
                             "fly 1 2",
                             "reset yes",
                             "screen 3000000000 2"};
  for (const char* line : malformed) {
    RunnerRig rig;
    std::string error;
    EXPECT_FALSE(rig.runner.RunLine(line, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

// Set lines keep their own spacing, and an empty value is what an empty box
// gives. (A value the control would not take is ignored: the set-lines script.)
TEST(ReplayRunner, SetLinesTakeWhatTheirControlWouldTake) {
  RunnerRig rig;
  std::string error;
  const Configuration& config = rig.runner.Engine().CurrentConfiguration();
  ASSERT_TRUE(rig.runner.RunLine("set Scale =  12", error));
  EXPECT_EQ(config.scale, 12);
  ASSERT_TRUE(rig.runner.RunLine("set   Key = 3 ", error));
  EXPECT_EQ(config.key, 3);
  ASSERT_TRUE(rig.runner.RunLine("set Scale =", error)) << error;  // no digit reads as 0
  EXPECT_EQ(config.scale, 0);
  ASSERT_TRUE(rig.runner.RunLine("picture " QUILL_TINY_PICTURE, error));
  ASSERT_TRUE(rig.runner.Engine().HasPicture(0));
  ASSERT_TRUE(rig.runner.RunLine("set Picture = ", error)) << error;  // the "Clear" button
  EXPECT_FALSE(rig.runner.Engine().HasPicture(0));
  EXPECT_TRUE(config.picture.empty());
}

// A script stops at its first malformed line; lines are counted by their line
// feeds whatever bytes they hold.
TEST(ScriptFile, StopsAtTheMalformedLineCountedByLineFeeds) {
  using namespace std::string_literals;
  const std::string longComment = "# " + std::string(5000, 'x') + "\n";
  const struct {
    std::string script;
    unsigned long line;  // 0: the script runs to its end
    const char* reason;
  } cases[] = {
      {"slot 2\0junk\nslot 3\nbogus\n"s, 1, "'slot' takes a number from 1 to 12"},
      {"# a NUL \0 in a comment\nslot 3\nbogus"s, 3, "unknown command 'bogus'"},
      {longComment + "slot 2\nfly", 3, "unknown command 'fly'"},
      {"slot 2\r\n\n\nslot 12", 0, ""},
      // The longest line a script may have, and one byte more: the reading
      // stops there, however long the line would go on.
      {"#" + std::string(65535, 'x') + "\nslot 2\nfly", 3, "unknown command 'fly'"},
      {"slot 12\n#" + std::string(65536, 'x') + "\nslot 2\n", 2, "longer than 65536 bytes"},
      {"slot 12\n" + std::string(200000, '\0'), 2, "longer than 65536 bytes"},
  };
  for (const auto& c : cases) {
    RunnerRig rig;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
        fmemopen(const_cast<char*>(c.script.data()), c.script.size(), "r"), &std::fclose);
    ASSERT_TRUE(in);
    const auto error = RunScript(in.get(), rig.runner);
    if (c.line == 0) {
      EXPECT_FALSE(error) << error->reason;
      EXPECT_EQ(rig.runner.Engine().CurrentSlot(), 11);
      continue;
    }
    ASSERT_TRUE(error) << c.script.substr(0, 40);
    EXPECT_EQ(error->line, c.line) << c.script.substr(0, 40);
    EXPECT_EQ(error->reason, c.reason);
  }
}

// An input that gives its bytes, then fails with `error` (0: ends), at most
// twice, then ends.
struct FailingInput {
  std::string bytes;
  int error;
  int failures = 0;

  static ssize_t Read(void* cookie, char* buffer, size_t size) {
    auto& in = *static_cast<FailingInput*>(cookie);
    if (!in.bytes.empty()) {
      const size_t n = std::min(size, in.bytes.size());
      std::memcpy(buffer, in.bytes.data(), n);
      in.bytes.erase(0, n);
      return static_cast<ssize_t>(n);
    }
    if (in.error == 0 || ++in.failures > 2) return 0;
    errno = in.error;
    return -1;
  }
};

// A read that fails stops the script with the line it was reading; a read
// that a signal interrupts stops it only when the run is to stop, and is
// tried again otherwise.
TEST(ScriptFile, ReadErrorsStopTheScriptAndSignalsStopItWhenAsked) {
  const struct {
    int error;
    bool stopOnSignal;
    unsigned long line;  // 0: no error
    const char* reason;
    int slot;  // the current slot afterwards, from 0
  } cases[] = {
      {EIO, false, 3, "cannot read the script: Input/output error", 2},
      {EISDIR, false, 3, "cannot read the script: Is a directory", 2},
      {EINTR, true, 0, "", 2},                                     // the half-read "slot 5" never runs
      {EINTR, false, 3, "'slot' takes a number from 1 to 12", 2},  // read on: "slot 5", then "slot" ends the input
      {0, false, 0, "", 4},
  };
  for (const auto& c : cases) {
    RunnerRig rig;
    FailingInput input{"slot 2\nslot 3\nslot 5", c.error};
    if (c.error == EINTR && !c.stopOnSignal) input.bytes.resize(input.bytes.size() - 2);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
        fopencookie(&input, "r", {&FailingInput::Read, nullptr, nullptr, nullptr}), &std::fclose);
    ASSERT_TRUE(in);
    const auto error = RunScript(in.get(), rig.runner, [&] { return c.stopOnSignal && input.failures > 0; });
    EXPECT_EQ(error.has_value(), c.line != 0) << c.reason;
    if (error) {
      EXPECT_EQ(error->line, c.line);
      EXPECT_EQ(error->reason, c.reason);
    }
    EXPECT_EQ(rig.runner.Engine().CurrentSlot(), c.slot) << c.reason;
  }
}
