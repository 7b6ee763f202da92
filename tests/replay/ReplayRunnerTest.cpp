// SPDX-License-Identifier: MIT
#include "tools/replay/ReplayRunner.h"

#include <gtest/gtest.h>

#include <cstdio>

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

// Set lines keep their own spacing; a value the control would not take is
// ignored, and an empty one is what an empty box gives.
TEST(ReplayRunner, SetLinesTakeWhatTheirControlWouldTake) {
  RunnerRig rig;
  std::string error;
  const Configuration& config = rig.runner.Engine().CurrentConfiguration();
  ASSERT_TRUE(rig.runner.RunLine("set Scale =  12", error));
  EXPECT_EQ(config.scale, 12);
  ASSERT_TRUE(rig.runner.RunLine("set   Key = 3 ", error));
  EXPECT_EQ(config.key, 3);
  ASSERT_TRUE(rig.runner.RunLine("set Scale = 270", error));
  EXPECT_EQ(config.scale, 12);
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
