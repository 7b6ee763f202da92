// SPDX-License-Identifier: MIT
// Pictures decoded away from the engine's thread: each answer lands in the
// slot it was asked for, and only if nothing decided that slot's picture anew
// while it was on its way; and all of them within one memory budget.
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
  struct Request {
    std::string path;
    std::shared_ptr<PictureBudget> budget;
    Done done;
  };
  void Decode(const std::string& path, std::shared_ptr<PictureBudget> budget, Done done) override {
    requests.push_back({path, std::move(budget), std::move(done)});
  }
  void AnswerAll() {
    for (Request& r : std::exchange(requests, {})) immediate.Decode(r.path, std::move(r.budget), std::move(r.done));
  }
  std::deque<Request> requests;
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
  EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to load the picture!"});
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

// The slots' pictures, and those on their way, stay within the budget: a
// picture that does not fit is refused as one that does not decode, a
// picture out of use makes room for its slot's next, and a file's block is
// decoded for its last picture line only.
TEST_F(PictureArrival, PicturesStayWithinTheirBudget) {
  // 10 x 10 pixels take 300 bytes: three fit in 1000.
  const auto budget = PictureBudget::Create(1000);
  rig.engine.UsePictureBudget(budget);
  QImage big(10, 10, QImage::Format_RGB32);
  big.fill(qRgb(0, 255, 0));
  ASSERT_TRUE(big.save(QString::fromStdString(Path("big.bmp")), "BMP"));
  auto choose = [this](int slot, const char* name) {
    rig.engine.SelectConfiguration(slot);
    rig.engine.LoadPicture(Path(name));
    decoder.AnswerAll();
  };
  const std::vector<std::string> refused{"Unable to load the picture!"};

  for (int slot = 0; slot < 3; ++slot) choose(slot, "big.bmp");
  EXPECT_EQ(budget->Used(), 900u);
  choose(3, "big.bmp");
  EXPECT_EQ(rig.messages.TakeShown(), refused);
  EXPECT_FALSE(rig.engine.HasPicture(3));
  choose(3, "red.bmp");  // 36 bytes still fit
  EXPECT_TRUE(rig.engine.HasPicture(3));
  // A picture in use stays until its successor arrives, so both must fit.
  choose(0, "big.bmp");
  EXPECT_EQ(rig.messages.TakeShown(), refused);
  EXPECT_TRUE(rig.engine.HasPicture(0));
  // Cleared, it is no longer shown, and the next choice takes its room.
  rig.engine.ClearPicture();
  choose(0, "big.bmp");
  EXPECT_TRUE(rig.messages.TakeShown().empty());
  EXPECT_EQ(budget->Used(), 936u);

  // A file naming twelve big pictures: those held before make room, the first
  // three fit, the other nine are reported. Block 1 names sixty pictures; only
  // its last is decoded.
  std::array<Configuration, kSlotCount> presets;
  presets.fill(DefaultConfiguration());
  for (Configuration& preset : presets) preset.picture = Path("big.bmp");
  std::string file = FormatConfigFile(presets);
  std::string sixty;
  for (int i = 0; i < 59; ++i) sixty += "Picture = " + Path(i % 2 ? "red.bmp" : "blue.bmp") + "\r\n";
  file.insert(file.find("Picture = "), sixty);
  ASSERT_TRUE(WriteFileSafely(Path("twelve.qcf"), file));
  rig.engine.LoadConfigurations(Path("twelve.qcf"));
  EXPECT_EQ(decoder.requests.size(), 12u);
  EXPECT_EQ(budget->Used(), 0u);
  decoder.AnswerAll();
  const std::vector<std::string> shown = rig.messages.TakeShown();
  ASSERT_EQ(shown.size(), 9u);
  EXPECT_EQ(shown[0], "Unable to read the picture '" + Path("big.bmp") + "' referenced by configuration #4.");
  for (int slot = 0; slot < kSlotCount; ++slot) EXPECT_EQ(rig.engine.HasPicture(slot), slot < 3) << slot;
  EXPECT_EQ(budget->Used(), 900u);
  rig.engine.OnReset();
  EXPECT_EQ(budget->Used(), 0u);
}

}  // namespace
