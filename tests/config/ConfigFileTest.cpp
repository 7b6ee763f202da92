// SPDX-License-Identifier: MIT
// The configuration file as a whole: the golden file of fresh slots, round
// trips of unusual values, line ends and the picture lines.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"

namespace {

using Slots = std::array<Configuration, kSlotCount>;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Slots FreshSlots() {
  Slots slots;
  slots.fill(DefaultConfiguration());
  return slots;
}

// Pictures that "decode" when their path says so; records every request.
struct FakePictures {
  std::vector<std::pair<int, std::string>> requests;
  std::array<bool, kSlotCount> inUse{};
  SlotPictureSetter Setter() {
    return [this](int slot, const std::string& path) {
      requests.emplace_back(slot, path);
      inUse[slot] = path.find("missing") == std::string::npos && !path.empty();
      return inUse[slot];
    };
  }
};

// Slots whose every field differs from the defaults and from each other.
Slots UnusualSlots() {
  Slots slots;
  for (int s = 0; s < kSlotCount; ++s) {
    Configuration& c = slots[s];
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
  }
  return slots;
}

TEST(ConfigFile, FreshSlotsWriteTheGoldenFileAndReadBackUnchanged) {
  const std::string golden = ReadBytes(QUILL_CONFIG_TEST_DATA "/fresh.qcf");
  ASSERT_EQ(golden.size(), 8279u) << "golden file damaged (line ends converted?)";
  const std::string written = FormatConfigFile(FreshSlots());
  EXPECT_EQ(written, golden);

  Slots read{};  // every numeric field 0: the file must bring every value
  FakePictures pictures;
  const ConfigReadResult result = ReadConfigFile(written, read, pictures.Setter());
  EXPECT_TRUE(result.accepted);
  EXPECT_TRUE(result.pictureFailures.empty());
  EXPECT_EQ(read, FreshSlots());
  // Every slot's picture is taken out of use once, and no picture is decoded.
  ASSERT_EQ(pictures.requests.size(), 12u + 12u);
  for (const auto& [slot, path] : pictures.requests) EXPECT_EQ(path, "");
}

TEST(ConfigFile, UnusualValuesRoundTripByteForByte) {
  const Slots original = UnusualSlots();
  const std::string written = FormatConfigFile(original);
  Slots read = FreshSlots();
  FakePictures pictures;
  ASSERT_TRUE(ReadConfigFile(written, read, pictures.Setter()).accepted);
  EXPECT_EQ(read, original);
  EXPECT_EQ(FormatConfigFile(read), written);
  for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(pictures.inUse[s], !original[s].picture.empty()) << s;
}

TEST(ConfigFile, WriterWritesFlagsAsOneOnlyForOne) {
  Slots slots = FreshSlots();
  slots[0].playNotes = 2;  // a flag is 1 only for exactly 1
  slots[0].initialPosition = 255;
  slots[0].picture = "/a b/c.bmp";
  slots[11].midiOutPort = 200;
  const std::string text = FormatConfigFile(slots);
  EXPECT_NE(text.find("Play notes = 0\r\nInitial position = 0\r\nInitial pressure = 1\r\n"), std::string::npos);
  EXPECT_NE(text.find("Picture = /a b/c.bmp\r\nColor model = 0\r\n"), std::string::npos);
  EXPECT_NE(text.find("MIDI out port = 200\r\n"), std::string::npos);
}

TEST(ConfigFile, LfOnlyFileReadsLikeCrLf) {
  const std::string crlf = FormatConfigFile(UnusualSlots());
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf.push_back(c);
  }
  Slots fromCrLf = FreshSlots(), fromLf = FreshSlots();
  FakePictures a, b;
  ASSERT_TRUE(ReadConfigFile(crlf, fromCrLf, a.Setter()).accepted);
  ASSERT_TRUE(ReadConfigFile(lf, fromLf, b.Setter()).accepted);
  EXPECT_EQ(fromLf, fromCrLf);
  EXPECT_EQ(a.requests, b.requests);
}

TEST(ConfigFile, PictureThatFailsIsReportedAndDropped) {
  const std::string text =
      "Quill configuration file\n"
      "Picture = /p/one.jpg\n"
      "</config>\n"
      "Picture = /p/missing.jpg\n"  // slot 2: fails
      "Key = 4\n"
      "</config>\n"
      "Picture = /p/missing-too.bmp\n"  // slot 3: fails, then a good one wins
      "Picture = /p/three.bmp\n"
      "</config>\n"
      "Picture = /p/four.bmp\n"  // slot 4: a good one, then an empty line wins
      "Picture = \n";
  Slots slots = FreshSlots();
  for (auto& c : slots) c.picture = "/old.jpg";
  FakePictures pictures;
  const ConfigReadResult result = ReadConfigFile(text, slots, pictures.Setter());
  ASSERT_TRUE(result.accepted);
  const std::vector<PictureFailure> expected = {{1, "/p/missing.jpg"}, {2, "/p/missing-too.bmp"}};
  EXPECT_EQ(result.pictureFailures, expected);
  EXPECT_EQ(slots[0].picture, "/p/one.jpg");
  EXPECT_EQ(slots[1].picture, "");
  EXPECT_EQ(slots[1].key, 4);  // reading went on after the failure
  EXPECT_EQ(slots[2].picture, "/p/three.bmp");
  EXPECT_EQ(slots[3].picture, "");
  for (int s = 4; s < kSlotCount; ++s) EXPECT_EQ(slots[s].picture, "") << s;
  const std::array<bool, kSlotCount> inUse = {true, false, true, false};
  EXPECT_EQ(pictures.inUse, inUse);
}

}  // namespace
