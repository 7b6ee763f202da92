// SPDX-License-Identifier: MIT
// The engine's picture button, "Clear", "Save..." and "Load...", with small
// fakes for the MIDI devices, message boxes and displays. Saving, loading back
// and the messages of a failed save and of a missing picture are checked by
// the replay golden test (replay/files.replay).
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/PerformanceEngine.h"
#include "midi/MidiOutService.h"

namespace fs = std::filesystem;

namespace {

struct RecordingMidi : MidiOutService {
  std::vector<uint32_t> sent;
  unsigned GetNumDevs() override { return 2; }
  std::string GetDeviceName(unsigned device) override { return "out " + std::to_string(device); }
  bool Open(unsigned device) override { return device < 2; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t packed) override {
    sent.push_back(packed);
    return true;
  }
};

struct RecordingMessages : MessageSink {
  std::vector<std::string> shown;
  void ShowMessage(std::string_view text, MessageIcon) override { shown.emplace_back(text); }
  bool AskYesNo(std::string_view) override { return true; }
};

struct RecordingDisplay : EngineDisplay {
  int windowInvalidations = 0;
  std::vector<Configuration> shownSettings;
  void SetDisplayText(int, std::string_view) override {}
  void InvalidateTabletArea() override {}
  void InvalidateWindow() override { ++windowInvalidations; }
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration& config) override { shownSettings.push_back(config); }
};

struct NoTools : ToolNameSource {
  std::string ToolName(uint32_t) const override { return ""; }
};

class SlotFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quill-slotfiles-" + std::to_string(::getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    engine_.Start();
    ClearRecords();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  // A picture of one colour, written as BMP.
  std::string MakePicture(const std::string& name, QRgb colour) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(QString::fromStdString(PathOf(name)), "BMP"));
    return PathOf(name);
  }
  void ClearRecords() {
    midi_.sent.clear();
    messages_.shown.clear();
    display_.windowInvalidations = 0;
    display_.shownSettings.clear();
  }
  std::array<Configuration, kSlotCount> AllSlots() const {
    std::array<Configuration, kSlotCount> all;
    for (int s = 0; s < kSlotCount; ++s) all[s] = engine_.SlotConfiguration(s);
    return all;
  }
  fs::path dir_;
  RecordingMidi midi_;
  RecordingMessages messages_;
  RecordingDisplay display_;
  NoTools tools_;
  PerformanceEngine engine_{midi_, messages_, display_, tools_};
};

TEST_F(SlotFilesTest, PictureButtonAndClear) {
  const std::string red = MakePicture("red.bmp", qRgb(255, 0, 0));
  EXPECT_TRUE(engine_.LoadPicture(red));
  EXPECT_EQ(engine_.CurrentConfiguration().picture, red);
  EXPECT_TRUE(engine_.HasPicture(0));
  EXPECT_EQ(engine_.Locations().picturesFolder, red);
  EXPECT_EQ(display_.windowInvalidations, 1);

  // A file that does not decode: one message, the slot keeps its picture.
  std::ofstream(PathOf("notes.txt")) << "not a picture";
  EXPECT_FALSE(engine_.LoadPicture(PathOf("notes.txt")));
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"Unable to load the picture!\n"});
  EXPECT_EQ(engine_.CurrentConfiguration().picture, red);
  EXPECT_TRUE(engine_.HasPicture(0));
  EXPECT_EQ(engine_.SlotPicture(0).Row(0)[0], 255);
  EXPECT_EQ(engine_.Locations().picturesFolder, PathOf("notes.txt"));

  engine_.ClearPicture();
  EXPECT_EQ(engine_.CurrentConfiguration().picture, "");
  EXPECT_FALSE(engine_.HasPicture(0));
  EXPECT_FALSE(engine_.SlotPicture(0).IsEmpty());  // kept, but no longer in use
  EXPECT_EQ(display_.windowInvalidations, 2);
  EXPECT_TRUE(midi_.sent.empty());
}

// A file that is refused or cannot be opened changes nothing but the folder.
TEST_F(SlotFilesTest, RefusedLoadsChangeNothing) {
  ASSERT_TRUE(engine_.LoadPicture(MakePicture("red.bmp", qRgb(255, 0, 0))));
  engine_.SelectScale(3);
  std::ofstream(PathOf("other.txt")) << "<header>\nsomething else\nKey = 2\n";
  fs::create_directory(PathOf("folder.qcf"));
  const struct {
    std::string path, message;
  } cases[] = {
      {PathOf("other.txt"), "This is not a Quill configuration file !"},
      {PathOf("absent.qcf"), "Unable to open the configuration file '" + PathOf("absent.qcf") + "'."},
      {PathOf("folder.qcf"), "Unable to open the configuration file '" + PathOf("folder.qcf") + "'."},
  };
  const auto before = AllSlots();
  for (const auto& test : cases) {
    ClearRecords();
    engine_.LoadConfigurations(test.path);
    EXPECT_EQ(messages_.shown, std::vector<std::string>{test.message});
    EXPECT_EQ(engine_.Locations().configsFolder, test.path);
    EXPECT_EQ(AllSlots(), before);
    EXPECT_TRUE(engine_.HasPicture(0));
    EXPECT_TRUE(midi_.sent.empty());
    EXPECT_TRUE(display_.shownSettings.empty());
    EXPECT_EQ(display_.windowInvalidations, 0);
  }
}

}  // namespace
