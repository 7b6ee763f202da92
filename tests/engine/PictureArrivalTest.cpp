// SPDX-License-Identifier: MIT
// Pictures decoded away from the engine's thread: each answer lands in the
// slot it was asked for, and only if nothing decided that slot's picture anew
// while it was on its way.
#include <gtest/gtest.h>

#include <QImage>

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <utility>

#include "config/ConfigFileWriter.h"
#include "config/SafeFileWriter.h"
#include "tests/support/EngineFakes.h"

namespace fs = std::filesystem;

namespace {

/// Keeps every request until the test lets the answers come, in order, each
/// decoded for real then.
class DeferredDecoder : public PictureDecoder {
 public:
  void Decode(const std::string& path, Done done) override { requests.emplace_back(path, std::move(done)); }
  void AnswerAll() {
    for (auto& [path, done] : std::exchange(requests, {})) immediate.Decode(path, std::move(done));
  }
  std::deque<std::pair<std::string, Done>> requests;
  ImmediatePictureDecoder immediate;
};

class PictureArrival : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const auto& [name, colour] : {std::pair{"red.bmp", qRgb(255, 0, 0)}, std::pair{"blue.bmp", qRgb(0, 0, 255)}}) {
      QImage image(4, 3, QImage::Format_RGB32);
      image.fill(colour);
      ASSERT_TRUE(image.save(QString::fromStdString(Path(name)), "BMP"));
    }
    rig.engine.UsePictureDecoder(decoder);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }
  // The first pixel's red byte: 255 for red.bmp, 0 for blue.bmp.
  int Red(int slot) const { return rig.engine.SlotPicture(slot).Row(0)[0]; }

  const fs::path dir_ = fs::temp_directory_path() / ("quill-arrival-" + std::to_string(::getpid()));
  DeferredDecoder decoder;
  EngineRig rig;
};

TEST_F(PictureArrival, AChosenPictureLandsInItsSlotUnlessOvertaken) {
  // Chosen in slot 1, arriving while slot 4 is on show.
  rig.engine.LoadPicture(Path("red.bmp"));
  EXPECT_FALSE(rig.engine.HasPicture(0));
  EXPECT_EQ(rig.engine.SlotConfiguration(0).picture, "");
  EXPECT_EQ(rig.engine.Locations().picturesFolder, Path("red.bmp"));
  rig.engine.SelectConfiguration(3);
  decoder.AnswerAll();
  EXPECT_TRUE(rig.engine.HasPicture(0));
  EXPECT_EQ(Red(0), 255);
  EXPECT_EQ(rig.engine.SlotConfiguration(0).picture, Path("red.bmp"));
  EXPECT_FALSE(rig.engine.HasPicture(3));
  EXPECT_TRUE(rig.display.picturePaths.empty()) << "slot 1 is not on show";

  // In slot 4: a second choice overtakes the first, Clear overtakes a choice.
  rig.engine.LoadPicture(Path("red.bmp"));
  rig.engine.LoadPicture(Path("blue.bmp"));
  decoder.AnswerAll();
  EXPECT_EQ(Red(3), 0);
  EXPECT_EQ(rig.display.picturePaths, std::vector<std::string>{Path("blue.bmp")});
  rig.engine.LoadPicture(Path("red.bmp"));
  rig.engine.ClearPicture();
  decoder.AnswerAll();
  EXPECT_FALSE(rig.engine.HasPicture(3));
  EXPECT_EQ(rig.engine.CurrentConfiguration().picture, "");

  // A file that does not decode is reported when its answer comes and leaves
  // the slot as it was; Reset overtakes a choice.
  rig.engine.SelectConfiguration(0);
  rig.engine.LoadPicture(Path("absent.bmp"));
  EXPECT_TRUE(rig.messages.shown.empty());
  decoder.AnswerAll();
  EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to load the picture!\n"});
  EXPECT_TRUE(rig.engine.HasPicture(0));
  EXPECT_EQ(Red(0), 255);
  rig.engine.LoadPicture(Path("blue.bmp"));
  rig.engine.OnReset();
  rig.messages.TakeShown();  // the question
  decoder.AnswerAll();
  EXPECT_FALSE(rig.engine.HasPicture(0));
  EXPECT_EQ(rig.engine.CurrentConfiguration().picture, "");
}

TEST_F(PictureArrival, FilePicturesArriveLaterAndOneThatFailsIsForgotten) {
  std::array<Configuration, kSlotCount> presets;
  presets.fill(DefaultConfiguration());
  presets[0].picture = Path("red.bmp");
  presets[1].picture = Path("absent.bmp");
  presets[2].picture = Path("blue.bmp");
  ASSERT_TRUE(WriteFileSafely(Path("set.qcf"), FormatConfigFile(presets)));

  // A picture in use before the load is out of use from the load on.
  rig.engine.SelectConfiguration(1);
  rig.engine.LoadPicture(Path("blue.bmp"));
  decoder.AnswerAll();
  rig.display.picturePaths.clear();
  // The second load overtakes every answer to the first.
  rig.engine.LoadConfigurations(Path("set.qcf"));
  rig.engine.LoadConfigurations(Path("set.qcf"));
  EXPECT_FALSE(rig.engine.HasPicture(1));
  EXPECT_EQ(rig.engine.SlotConfiguration(1).picture, Path("absent.bmp")) << "kept until its answer comes";
  EXPECT_TRUE(rig.messages.shown.empty());
  EXPECT_EQ(decoder.requests.size(), 6u);
  decoder.AnswerAll();
  EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to read the picture '" + Path("absent.bmp") +
                                                               "' referenced by configuration #2."});
  EXPECT_EQ(rig.engine.SlotConfiguration(1).picture, "");
  EXPECT_EQ(rig.display.picturePaths, std::vector<std::string>{""}) << "slot 2 is on show";
  EXPECT_TRUE(rig.engine.HasPicture(0));
  EXPECT_FALSE(rig.engine.HasPicture(1));
  EXPECT_TRUE(rig.engine.HasPicture(2));
  EXPECT_EQ(Red(0), 255);
  EXPECT_EQ(Red(2), 0);

  // Paste decodes the copy's picture for its slot; out of use until it arrives.
  rig.engine.SelectConfiguration(0);
  rig.engine.OnCopy();
  rig.engine.SelectConfiguration(5);
  rig.engine.OnPaste();
  EXPECT_FALSE(rig.engine.HasPicture(5));
  decoder.AnswerAll();
  EXPECT_TRUE(rig.engine.HasPicture(5));
  EXPECT_EQ(Red(5), 255);
}

}  // namespace
