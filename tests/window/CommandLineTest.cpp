// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

// Parses a command line given as words after the program's name.
bool Parse(std::vector<std::string> words, CommandLine& options) {
  words.insert(words.begin(), "quill");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
}

TEST(CommandLine, OwnOptionsAreReadAndQtsAreLeftAlone) {
  CommandLine options;
  ASSERT_TRUE(Parse({"-platform", "offscreen", "--tablet=auto", "--midi=alsa", "presets/live set.qcf"}, options));
  EXPECT_EQ(options.tablet, TabletLayer::Auto);
  EXPECT_EQ(options.midi, MidiSystem::Alsa);
  // Qt's option values count among the files until Qt has taken its options away.
  EXPECT_EQ(options.files, (std::vector<std::string>{"offscreen", "presets/live set.qcf"}));
  ASSERT_TRUE(Parse({"--version", "--help"}, options));
  EXPECT_TRUE(options.help && options.version);
  EXPECT_TRUE(options.files.empty());
  EXPECT_FALSE(options.anyTablet);
  ASSERT_TRUE(Parse({"--any-tablet", "--tablet=recording:/tmp/a pen:with colons.evemu"}, options));
  EXPECT_EQ(options.tablet, TabletLayer::Recording);
  EXPECT_EQ(options.tabletRecording, "/tmp/a pen:with colons.evemu");
  EXPECT_TRUE(options.anyTablet);
  // JACK only where the build has it, and said so where it has not.
  CommandLine jack;
  EXPECT_EQ(Parse({"--midi=jack"}, jack), MidiSystemBuiltIn(MidiSystem::Jack));
  EXPECT_EQ(jack.problem.empty(), MidiSystemBuiltIn(MidiSystem::Jack));
  if (MidiSystemBuiltIn(MidiSystem::Jack)) {
    EXPECT_EQ(jack.midi, MidiSystem::Jack);
  }
  for (const char* wrong : {"--tablet=wintab", "--midi=coreaudio", "--tablet", "--verbose",
                            "--tablet=recording:", "--tablet=recording", "--any-tablet=yes"}) {
    SCOPED_TRACE(wrong);
    CommandLine untouched;
    EXPECT_FALSE(Parse({wrong}, untouched));
  }
}

}  // namespace
