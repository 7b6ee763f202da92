// SPDX-License-Identifier: MIT
// A picture or configuration file the engine refuses changes nothing but the
// remembered folder. The messages of saving and loading, and loading back
// what was saved, are checked by the replay golden test (replay/files.replay).
#include <gtest/gtest.h>

#include <QImage>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/EngineFakes.h"

namespace fs = std::filesystem;

namespace {

TEST(SlotFiles, RefusedFilesChangeNothing) {
  const fs::path dir = fs::temp_directory_path() / ("quill-slotfiles-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.qcf");
  auto path = [&dir](const char* name) { return (dir / name).string(); };
  QImage red(4, 3, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(path("red.bmp")), "BMP"));
  std::ofstream(path("other.txt")) << "<header>\nsomething else\nKey = 2\n";

  EngineRig rig;
  rig.engine.LoadPicture(path("red.bmp"));
  ASSERT_TRUE(rig.engine.HasPicture(0));
  rig.engine.SelectScale(3);
  std::array<Configuration, kSlotCount> before;
  for (int s = 0; s < kSlotCount; ++s) before[s] = rig.engine.SlotConfiguration(s);
  rig.midi.sent.clear();

  rig.engine.LoadPicture(path("other.txt"));
  EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to load the picture!\n"});
  EXPECT_EQ(rig.engine.Locations().picturesFolder, path("other.txt"));
  EXPECT_TRUE(rig.engine.HasPicture(0));
  EXPECT_EQ(rig.engine.SlotPicture(0).Row(0)[0], 255);
  const struct {
    std::string file, message;
  } cases[] = {{path("other.txt"), "This is not a Quill configuration file !"},
               {path("absent.qcf"), "Unable to open the configuration file '" + path("absent.qcf") + "'."},
               {path("folder.qcf"), "Unable to open the configuration file '" + path("folder.qcf") + "'."}};
  for (const auto& test : cases) {
    rig.engine.LoadConfigurations(test.file);
    EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{test.message});
    EXPECT_EQ(rig.engine.Locations().configsFolder, test.file);
    for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(rig.engine.SlotConfiguration(s), before[s]) << test.file << s;
    EXPECT_TRUE(rig.engine.HasPicture(0));
  }
  EXPECT_TRUE(rig.midi.sent.empty());
  fs::remove_all(dir);
}

}  // namespace
