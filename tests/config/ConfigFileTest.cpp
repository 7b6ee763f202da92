// SPDX-License-Identifier: MIT
// The configuration file: the golden file of fresh slots, round trips of
// unusual values, the picture lines, and the reader's rules case by case.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"

namespace {

using Slots = std::array<Configuration, kSlotCount>;

Slots FreshSlots() {
  Slots slots;
  slots.fill(DefaultConfiguration());
  return slots;
}

// Pictures "decode" unless their path says "missing".
struct FakePictures {
  std::array<bool, kSlotCount> inUse{};
  std::vector<std::string> asked;  ///< every path, the empty ones too
  SlotPictureSetter Setter() {
    return [this](int slot, const std::string& path) {
      asked.push_back(path);
      return inUse[slot] = path.find("missing") == std::string::npos && !path.empty();
    };
  }
};

bool NoPicture(int, const std::string& path) { return !path.empty(); }

TEST(ConfigFile, FreshSlotsWriteTheGoldenFile) {
  std::ifstream in(QUILL_CONFIG_TEST_DATA "/fresh.qcf", std::ios::binary);
  const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(golden.size(), 8999u) << "golden file damaged (line ends converted?)";
  EXPECT_EQ(FormatConfigFile(FreshSlots()), golden);
  // (Reading it back is the first input of the reader's fuzz target.)
  // A flag is written as 1 only when it is exactly 1 (fresh slots play notes).
  Slots read = FreshSlots();
  read[0].playNotes = 2;
  const std::string written = FormatConfigFile(read);
  EXPECT_NE(written.substr(0, written.find("</config>")).find("Play notes = 0\r\n"), std::string::npos);
}

TEST(ConfigFile, UnusualValuesRoundTripByteForByteWithCrLfOrLf) {
  Slots original;  // every field differs from the defaults and between slots
  for (int s = 0; s < kSlotCount; ++s) {
    Configuration& c = original[s];
    c.scale = static_cast<uint16_t>(269 - s);
    c.chord = static_cast<uint16_t>(23 - s);
    c.midiOutPort = static_cast<uint8_t>(255 - s);
    c.midiChannel = static_cast<uint8_t>(15 - s);
    c.midiPatch = static_cast<uint8_t>(128 - s);
    c.key = static_cast<uint8_t>(11 - s);
    c.minNote = static_cast<uint8_t>(127 - s);  // above maxNote: only a file brings this
    c.maxNote = static_cast<uint8_t>(s);
    c.noteDirection = static_cast<uint16_t>(65535 - s);
    for (int i = 0; i < kControllerInputCount; ++i) {
      c.cc[i] = static_cast<uint8_t>(s * 10 + i);
      c.min[i] = static_cast<uint8_t>(127 - s - i);
      c.max[i] = static_cast<uint8_t>(s + i);
      c.map[i] = static_cast<uint16_t>(s % 2 ? 65535 - i : i % 4);
    }
    c.playNotes = s % 2;
    c.initialPressure = (s + 1) % 2;
    c.initialPosition = s % 3 == 0;
    c.picture = s % 3 ? "/pictures/slot " + std::to_string(s + 1) + " \xe9t\xe9.jpg" : "";
    c.colorModel = static_cast<uint16_t>(s * 1000);
    c.midiOutPortName = s % 4 ? "FLUID Synth:Synth input port " + std::to_string(s) : "";
    c.glide = static_cast<uint8_t>((s + 1) % 3);
    c.bendRange = static_cast<uint8_t>(s % 2 ? 96 - s : 1 + s);
    c.mpe = (s + 1) % 2;
  }
  const std::string crlf = FormatConfigFile(original);
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf.push_back(c);
  }
  for (const std::string& text : {crlf, lf}) {
    Slots read = FreshSlots();
    FakePictures pictures;
    ASSERT_TRUE(ReadConfigFile(text, read, pictures.Setter()).accepted);
    EXPECT_EQ(read, original);
    EXPECT_EQ(FormatConfigFile(read), crlf);
    for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(pictures.inUse[s], !original[s].picture.empty()) << s;
  }
}

// A text field holding a line end would end its line there and make the rest
// a line of its own, read as a setting: it is written without CR and LF.
TEST(ConfigFile, TextFieldsAreWrittenWithoutLineEnds) {
  Slots slots = FreshSlots();
  slots[0].picture = "/p/a\nKey = 3\n.jpg";
  slots[0].midiOutPortName = "Synth\r\nKey = 4\r";
  const std::string text = FormatConfigFile(slots);
  // Eight header lines, then each block: <config>, its fields, </config> and a blank line.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8 + kSlotCount * (kConfigFieldCount + 3));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 8 + kSlotCount * (kConfigFieldCount + 3));
  Slots read = FreshSlots();
  FakePictures pictures;
  ASSERT_TRUE(ReadConfigFile(text, read, pictures.Setter()).accepted);
  EXPECT_EQ(read[0].key, FreshSlots()[0].key);
  EXPECT_EQ(read[0].picture, "/p/aKey = 3.jpg");
  EXPECT_EQ(read[0].midiOutPortName, "SynthKey = 4");
}

TEST(ConfigFile, PictureThatFailsIsReportedAndDropped) {
  const std::string text =
      "Quill configuration file\nPicture = /p/one.jpg\n</config>\n"
      "Picture = /p/missing.jpg\nKey = 4\n</config>\n"                     // fails, and reading goes on
      "Picture = /p/missing-too.bmp\nPicture = /p/three.bmp\n</config>\n"  // the last line wins, the first is not tried
      "Picture = /p/four.bmp\nPicture = \n";                               // an empty last line, in a block without end
  Slots slots = FreshSlots();
  for (auto& c : slots) c.picture = "/old.jpg";
  FakePictures pictures;
  const ConfigReadResult result = ReadConfigFile(text, slots, pictures.Setter());
  ASSERT_TRUE(result.accepted);
  EXPECT_EQ(result.pictureFailures, (std::vector<PictureFailure>{{1, "/p/missing.jpg"}}));
  std::vector<std::string> asked(kSlotCount, "");
  asked.insert(asked.end(), {"/p/one.jpg", "/p/missing.jpg", "/p/three.bmp", ""});
  EXPECT_EQ(pictures.asked, asked);
  Slots expected = FreshSlots();
  expected[0].picture = "/p/one.jpg";
  expected[1].key = 4;
  expected[2].picture = "/p/three.bmp";
  EXPECT_EQ(slots, expected);
}

// One field line read into slot 1 of fresh slots, then the line written for it.
TEST(ConfigReader, FieldLinesAreMatchedConvertedAndClamped) {
  const struct {
    const char* line;
    const char* written;
  } cases[] = {{"Scale = 5", "Scale = 5"},
               {"Scale = 5 steps", "Scale = 5"},
               {"Scale=5", "Scale = 137"},
               {"scale = 5", "Scale = 137"},  // spaces and case belong to the name
               {" Scale = 5", "Scale = 137"},
               {"Scale = ", "Scale = 0"},
               {"Scale = x5", "Scale = 0"},
               {"Scale =  \t+12", "Scale = 12"},
               {"Scale = -3", "Scale = 0"},
               {"Scale = 270", "Scale = 269"},
               {"Scale = 99999999999999999999", "Scale = 269"},
               {"Chord = 24", "Chord = 23"},
               {"Key = 12", "Key = 11"},
               {"MIDI channel = 16", "MIDI channel = 15"},
               {"MIDI patch = 129", "MIDI patch = 128"},
               {"Min note = 300", "Min note = 127"},
               {"Max note = -1", "Max note = 0"},
               {"Y cc = 4000", "Y cc = 130"},
               {"X cc = 129", "X cc = 129"},  // pitch bend
               {"Pressure min = 128", "Pressure min = 127"},
               // Fields that index no table keep the low bits, as the field's width does.
               {"MIDI out port = 257", "MIDI out port = 1"},
               {"X map = 65539", "X map = 3"},
               {"Tilt map = -1", "Tilt map = 65535"},
               {"Play notes = 2", "Play notes = 0"},
               {"Play notes = 01", "Play notes = 1"},
               {"Initial pressure = -1", "Initial pressure = 0"},
               // Glide and per-note channels are clamped, the MPE box too.
               {"Glide = 2", "Glide = 2"},
               {"Glide = 3", "Glide = 2"},
               {"Glide = -1", "Glide = 0"},
               {"Bend range = 0", "Bend range = 1"},
               {"Bend range = 97", "Bend range = 96"},
               {"Bend range = 12", "Bend range = 12"},
               {"MPE = 5", "MPE = 1"},
               {"MPE = -5", "MPE = 0"}};
  for (const auto& test : cases) {
    Slots slots = FreshSlots();
    ASSERT_TRUE(
        ReadConfigFile(std::string("Quill configuration file\n") + test.line + "\n", slots, NoPicture).accepted);
    const std::string text = FormatConfigFile(slots);
    const std::string firstSlot = text.substr(0, text.find("</config>"));
    EXPECT_NE(firstSlot.find("\n" + std::string(test.written) + "\r\n"), std::string::npos) << test.line;
  }
}

// A block names its port on a line of its own; a file from before that line
// (a number and no name) leaves the number alone to count.
TEST(ConfigReader, PortNameLineBelongsToItsBlockWhereverItStands) {
  const struct {
    const char* lines;  // of the first block
    uint8_t port;
    const char* name;
  } cases[] = {
      {"MIDI out port = 2\nMIDI out port name = FLUID Synth:Synth input port\n", 2, "FLUID Synth:Synth input port"},
      {"MIDI out port name = Midi Through:Port-0 \nMIDI out port = 3\n", 3, "Midi Through:Port-0 "},
      {"MIDI out port = 4\n", 4, ""},
      {"MIDI out port name = \nMIDI out port = 1\n", 1, ""},
      {"MIDI out port name = Synth:in\n", 7, "Synth:in"},
      {"Key = 1\nMIDI out port name=Synth:in\n", 7, "Remembered:in"}  // not the name line
  };
  for (const auto& test : cases) {
    Slots slots = FreshSlots();
    for (auto& c : slots) {
      c.midiOutPort = 7;
      c.midiOutPortName = "Remembered:in";
    }
    const std::string file = std::string("Quill configuration file\n") + test.lines + "</config>\n";
    ASSERT_TRUE(ReadConfigFile(file, slots, NoPicture).accepted);
    EXPECT_EQ(slots[0].midiOutPort, test.port) << test.lines;
    EXPECT_EQ(slots[0].midiOutPortName, test.name) << test.lines;
    EXPECT_EQ(slots[1].midiOutPortName, "Remembered:in") << "another block's name stays";
    // Written back after the colour model, before the glide lines.
    const std::string text = FormatConfigFile(slots);
    const std::string ending = std::string("\r\nMIDI out port name = ") + test.name + "\r\nGlide = 0\r\n";
    EXPECT_EQ(text.find(ending), text.find("\r\nColor model = 0") + 17) << test.lines;
  }
}

// Glide, bend range and MPE are the last lines of a block. A file from before
// them (or a block without them) plays as it always did: off, 48, off,
// whatever the slot had before.
TEST(ConfigReader, BlocksWithoutGlideLinesReadAsOff) {
  Slots slots = FreshSlots();
  for (auto& c : slots) {
    c.glide = kGlideFollow;
    c.bendRange = 2;
    c.mpe = 1;
  }
  const std::string file =
      "Quill configuration file\nKey = 1\n</config>\nGlide = 1\nBend range = 12\nMPE = 1\n</config>\nMPE = 1\n";
  ASSERT_TRUE(ReadConfigFile(file, slots, NoPicture).accepted);
  const std::tuple<int, int, int> expected[] = {{0, 48, 0}, {1, 12, 1}, {0, 48, 1}, {0, 48, 0}};
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(std::make_tuple(int{slots[s].glide}, int{slots[s].bendRange}, int{slots[s].mpe}), expected[s]) << s;
  }
  const std::string text = FormatConfigFile(slots);
  EXPECT_NE(text.find("MIDI out port name = \r\nGlide = 1\r\nBend range = 12\r\nMPE = 1\r\n</config>"),
            std::string::npos);
}

// Which files are accepted. (That a refused file changes nothing is checked
// on every input by the reader's fuzz target.)
TEST(ConfigReader, HeaderDecidesAcceptance) {
  const struct {
    std::string text;
    bool accepted;
  } cases[] = {{"<header>\r\nQuill configuration file\r\nKey = 3\r\n", true},
               {"Quill configuration file\nKey = 3", true},                              // no line end on the last line
               {std::string("Quill configuration file\0garbage\nKey = 3\n", 41), true},  // cut at the NUL
               {"", false},
               {"<header>\n", false},
               {"<header>\n<header>\nQuill configuration file\nKey = 3\n", false},
               {"quill configuration file\nKey = 3\n", false},
               {"Quill configuration file \nKey = 3\n", false},
               {"Quill configuration file\r\r\nKey = 3\n", false},  // only one CR belongs to the line end
               {"\nQuill configuration file\nKey = 3\n", false},
               {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", false}};
  for (const auto& test : cases) {
    Slots slots = FreshSlots();
    EXPECT_EQ(ReadConfigFile(test.text, slots, NoPicture).accepted, test.accepted) << testing::PrintToString(test.text);
    EXPECT_EQ(slots[0].key, test.accepted ? 3 : DefaultConfiguration().key) << testing::PrintToString(test.text);
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

TEST(ConfigReader, HugeLinesAreCutAndHugeFilesEndQuickly) {
  // A path line far longer than any real path is read as its first part.
  Slots slots = FreshSlots();
  std::string requested;
  auto setPicture = [&](int, const std::string& path) {
    if (!path.empty()) requested = path;
    return false;
  };
  const std::string picture = "Picture = /" + std::string(3 * kMaxConfigLineLength, 'p');
  ASSERT_TRUE(ReadConfigFile("Quill configuration file\n" + picture + "\nKey = 2\n", slots, setPicture).accepted);
  EXPECT_EQ(requested.size(), kMaxConfigLineLength - std::string_view("Picture = ").size());
  EXPECT_EQ(slots[0].key, 2);
  // Binary junk without line ends: rejected without holding it all as one line.
  EXPECT_FALSE(ReadConfigFile(std::string(20u << 20, '\x01'), slots, setPicture).accepted);
}

// Bytes in memory are cut into lines without the stream reader: both must see
// the same lines, line ends, NUL bytes and overlong lines included.
TEST(ConfigReader, BytesInMemoryReadAsTheSameFileThroughAStream) {
  const std::string head = "Quill configuration file\n";
  const std::string picture = "Picture = /";
  const size_t fill = kMaxConfigLineLength - picture.size();  // a picture line of exactly the limit
  const std::string cases[] = {"",
                               "\n",
                               "\r\n",
                               head,
                               "<header>\r\n" + head + "Key = 3\r\n",
                               head + "Key = 3\r\r\nPicture = /a\r\n",
                               head + "Picture = /ab\r",                                // no line end: the CR stays
                               head + std::string("Picture = /ab\r\0\nKey = 4\n", 23),  // cut at the NUL: the CR stays
                               head + std::string("Picture = /a\0b\r\nKey = 4\n", 24),
                               head + "</config>\n</config>\r\nKey = 7\nPicture = /abc\n</config>\n",
                               head + picture + std::string(fill - 1, 'p') + "\r\nKey = 1\n",
                               head + picture + std::string(fill, 'p') + "\r\nKey = 1\n",  // the CR is past the limit
                               head + picture + std::string(fill + 1, 'p') + "\nKey = 1\n",
                               head + picture + std::string(fill - 2, 'p') + "\r\r\n"};
  using Calls = std::vector<std::pair<int, std::string>>;
  auto read = [](auto&& source, Calls& calls) {
    Slots slots = FreshSlots();
    auto setPicture = [&calls](int slot, const std::string& path) {
      calls.emplace_back(slot, path);
      return path.size() % 2 == 0;
    };
    const ConfigReadResult result = ReadConfigFile(source, slots, setPicture);
    return std::make_pair(result, slots);
  };
  for (const std::string& text : cases) {
    Calls memoryCalls, streamCalls;
    const auto [memoryResult, memorySlots] = read(std::string_view(text), memoryCalls);
    std::stringbuf stream(text, std::ios::in | std::ios::binary);
    const auto [streamResult, streamSlots] = read(stream, streamCalls);
    EXPECT_EQ(memoryResult.accepted, streamResult.accepted) << testing::PrintToString(text.substr(0, 80));
    EXPECT_EQ(memoryResult.pictureFailures, streamResult.pictureFailures) << testing::PrintToString(text.substr(0, 80));
    EXPECT_EQ(memorySlots, streamSlots) << testing::PrintToString(text.substr(0, 80));
    EXPECT_EQ(memoryCalls, streamCalls) << testing::PrintToString(text.substr(0, 80));
  }
}

// The reader tries the field that follows the previous line's first; that
// guess may be wrong and must never change which field a line sets.
TEST(ConfigFields, AGuessedFieldNeverChangesTheMatch) {
  std::vector<std::string> lines = {"", "=", " = 5", "<config>", "</config>"};
  for (const ConfigField& field : kConfigFields) {
    const std::string name(field.name);
    lines.insert(lines.end(), {name + "7", name, name.substr(0, name.size() - 1), name.substr(1), "x" + name});
  }
  for (const std::string& line : lines) {
    const ConfigField* expected = nullptr;
    for (const ConfigField& field : kConfigFields) {
      if (line.starts_with(field.name)) expected = &field;
    }
    EXPECT_EQ(MatchConfigField(line), expected) << line;
    EXPECT_EQ(MatchConfigField(line, nullptr), expected) << line;
    for (const ConfigField& likely : kConfigFields) ASSERT_EQ(MatchConfigField(line, &likely), expected) << line;
  }
}

}  // namespace
