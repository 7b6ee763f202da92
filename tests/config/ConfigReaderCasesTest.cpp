// SPDX-License-Identifier: MIT
// The reader's rules, case by case: header, names, numbers, blocks, lines.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "config/ConfigFileReader.h"

namespace {

using Slots = std::array<Configuration, kSlotCount>;

Slots FreshSlots() {
  Slots slots;
  slots.fill(DefaultConfiguration());
  return slots;
}

bool NoPicture(int, const std::string& path) { return !path.empty(); }

// One field line read into slot 1 of fresh slots, and the value it leaves.
struct FieldCase {
  const char* line;
  std::function<int(const Configuration&)> field;
  int expected;
};

TEST(ConfigReader, FieldLinesAreMatchedConvertedAndClamped) {
  auto scale = [](const Configuration& c) { return int{c.scale}; };
  const FieldCase cases[] = {
      {"Scale = 5", scale, 5},
      {"Scale=5", scale, 137},  // the spaces belong to the name
      {"scale = 5", scale, 137},  // so does the case
      {" Scale = 5", scale, 137},
      {"Scale = 5 steps", scale, 5},
      {"Scale = ", scale, 0},
      {"Scale = x5", scale, 0},
      {"Scale =  \t+12", scale, 12},
      {"Scale = -3", scale, 0},
      {"Scale = 270", scale, 269},
      {"Scale = 99999999999999999999", scale, 269},
      {"Scale = -99999999999999999999", scale, 0},
      {"Chord = 24", [](const Configuration& c) { return int{c.chord}; }, 23},
      {"Key = 12", [](const Configuration& c) { return int{c.key}; }, 11},
      {"MIDI channel = 16", [](const Configuration& c) { return int{c.midiChannel}; }, 15},
      {"MIDI patch = 129", [](const Configuration& c) { return int{c.midiPatch}; }, 128},
      {"MIDI patch = 128", [](const Configuration& c) { return int{c.midiPatch}; }, 128},
      {"Min note = 300", [](const Configuration& c) { return int{c.minNote}; }, 127},
      {"Max note = -1", [](const Configuration& c) { return int{c.maxNote}; }, 0},
      {"B cc = 4000", [](const Configuration& c) { return int{c.cc[7]}; }, 128},
      {"Pressure min = 128", [](const Configuration& c) { return int{c.min[2]}; }, 127},
      {"H max = 77", [](const Configuration& c) { return int{c.max[5]}; }, 77},
      // Fields that index no table keep the low bits, as the field's width does.
      {"MIDI out port = 257", [](const Configuration& c) { return int{c.midiOutPort}; }, 1},
      {"X map = 65539", [](const Configuration& c) { return int{c.map[0]}; }, 3},
      {"Tilt map = -1", [](const Configuration& c) { return int{c.map[3]}; }, 65535},
      {"Note direction = 2", [](const Configuration& c) { return int{c.noteDirection}; }, 2},
      {"Color model = 7", [](const Configuration& c) { return int{c.colorModel}; }, 7},
      {"Play notes = 2", [](const Configuration& c) { return int{c.playNotes}; }, 0},
      {"Play notes = 01", [](const Configuration& c) { return int{c.playNotes}; }, 1},
      {"Initial position = 0", [](const Configuration& c) { return int{c.initialPosition}; }, 0},
      {"Initial pressure = -1", [](const Configuration& c) { return int{c.initialPressure}; }, 0},
  };
  for (const FieldCase& test : cases) {
    Slots slots = FreshSlots();
    const std::string text = std::string("Quill configuration file\n") + test.line + "\n";
    ASSERT_TRUE(ReadConfigFile(text, slots, NoPicture).accepted) << test.line;
    EXPECT_EQ(test.field(slots[0]), test.expected) << test.line;
  }
}

// Which files are accepted; a rejected file changes nothing at all.
TEST(ConfigReader, HeaderDecidesAcceptance) {
  const struct {
    std::string text;
    bool accepted;
  } cases[] = {
      {"<header>\r\nQuill configuration file\r\nKey = 3\r\n", true},
      {"Quill configuration file\nKey = 3\n", true},
      {"Quill configuration file\nKey = 3", true},  // no line end on the last line
      {"", false},
      {"<header>\n", false},
      {"<header>\n<header>\nQuill configuration file\nKey = 3\n", false},
      {"quill configuration file\nKey = 3\n", false},
      {"Quill configuration file \nKey = 3\n", false},
      {"Quill configuration file\r\r\nKey = 3\n", false},  // only one CR belongs to the line end
      {"\nQuill configuration file\nKey = 3\n", false},
      {std::string("Quill configuration file\0garbage\nKey = 3\n", 41), true},  // cut at the NUL
      {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", false},
  };
  for (const auto& test : cases) {
    Slots slots = FreshSlots();
    slots[5].picture = "/kept.jpg";
    int pictureCalls = 0;
    auto setPicture = [&](int, const std::string&) { ++pictureCalls; return false; };
    const ConfigReadResult result = ReadConfigFile(test.text, slots, setPicture);
    EXPECT_EQ(result.accepted, test.accepted) << testing::PrintToString(test.text);
    // Accepted: every picture is cleared first and only "Key = 3" changes a field.
    Slots expected = FreshSlots();
    expected[5].picture = test.accepted ? "" : "/kept.jpg";
    if (test.accepted) expected[0].key = 3;
    EXPECT_EQ(slots, expected) << testing::PrintToString(test.text);
    EXPECT_EQ(pictureCalls, test.accepted ? kSlotCount : 0);
  }
}

// Only "</config>" lines advance the block; "<config>" plays no part.
TEST(ConfigReader, BlocksAreCountedByClosingLines) {
  auto keys = [](const std::string& body) {
    Slots slots = FreshSlots();
    for (int s = 0; s < kSlotCount; ++s) slots[s].key = static_cast<uint8_t>(s % 12);
    EXPECT_TRUE(ReadConfigFile("Quill configuration file\n" + body, slots, NoPicture).accepted);
    std::string out;
    for (const auto& c : slots) out += std::to_string(c.key) + ",";
    return out;
  };
  // Without any "</config>" every line goes to slot 1, and the last one wins.
  EXPECT_EQ(keys("<config>\nKey = 9\n<config>\nKey = 10\n"), "10,1,2,3,4,5,6,7,8,9,10,11,");
  // A line between "</config>" and "<config>" belongs to the next slot.
  EXPECT_EQ(keys("<config>\n</config>\nKey = 0\n<config>\n</config>\n"), "0,0,2,3,4,5,6,7,8,9,10,11,");
  // A thirteenth block is ignored.
  std::string thirteen;
  for (int s = 0; s < 13; ++s) thirteen += "<config>\nKey = 5\n</config>\n\n";
  EXPECT_EQ(keys(thirteen + "Key = 7\n"), "5,5,5,5,5,5,5,5,5,5,5,5,");
  // "</config>" must be the whole line.
  EXPECT_EQ(keys("</config> \n</Config>\nKey = 8\n"), "8,1,2,3,4,5,6,7,8,9,10,11,");
}

TEST(ConfigReader, LinesEndAtLfWithOneCrAndStopAtNul) {
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\r\r\n", {"a\r"}},
      {"a\rb\n\n", {"a\rb", ""}},
      {"\r\n\r\n", {"", ""}},
      {"a\r", {"a\r"}},
      {std::string("pa\0th\r\nnext\n", 12), {"pa", "next"}},
      {"", {}},
  };
  for (const auto& test : cases) {
    std::stringbuf buffer(test.bytes);
    std::vector<std::string> lines;
    std::string line;
    while (ReadConfigLine(buffer, line)) lines.push_back(line);
    EXPECT_EQ(lines, test.lines) << testing::PrintToString(test.bytes);
  }
}

TEST(ConfigReader, HugeLinesAreCutAndHugeFilesEndQuickly) {
  // A path line far longer than any real path is read as its first part.
  std::string text = "Quill configuration file\nPicture = /" + std::string(3 * kMaxConfigLineLength, 'p') + "\nKey = 2\n";
  Slots slots = FreshSlots();
  std::string requested;
  auto setPicture = [&](int, const std::string& path) {
    if (!path.empty()) requested = path;
    return false;
  };
  const ConfigReadResult result = ReadConfigFile(text, slots, setPicture);
  ASSERT_TRUE(result.accepted);
  EXPECT_EQ(requested.size(), kMaxConfigLineLength - std::string_view("Picture = ").size());
  EXPECT_EQ(slots[0].key, 2);

  // Binary junk without line ends: rejected without holding it all as one line.
  std::string junk(20u << 20, '\x01');
  EXPECT_FALSE(ReadConfigFile(junk, slots, setPicture).accepted);
}

}  // namespace
