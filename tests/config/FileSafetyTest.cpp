// SPDX-License-Identifier: MIT
// Saving never damages the file already on disk. The tests run as root, where
// permission bits stop no write, so failures are made by other means: a
// folder that does not exist, a target that is a folder, and a file-size
// limit that makes the writing itself fail half-way. A picture or
// configuration file the engine refuses changes nothing but the remembered
// folder. The messages of saving and loading, and loading back what was
// saved, are checked by the replay golden test (tests/replay/golden/files.qrs).
#include <gtest/gtest.h>

#include <QImage>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/SafeFileWriter.h"
#include "tests/support/EngineFakes.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a scratch folder: no temporary file may be left behind.
std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeFileWriter, ReplacesTheFileKeepingItsModeAndFailuresChangeNothing) {
  const fs::path dir = fs::temp_directory_path() / ("quill-save-" + std::to_string(::getpid()));
  const fs::path target = dir / "set.qcf";
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  std::ofstream(dir / "plain") << "x";
  ASSERT_TRUE(WriteFileSafely(target.string(), std::string("one\r\n\0two", 10)));
  EXPECT_EQ(ReadBytes(target), std::string("one\r\n\0two", 10));
  ::chmod(target.c_str(), 0640);
  const std::string old(3000, 'o');
  ASSERT_TRUE(WriteFileSafely(target.string(), old));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  for (const fs::path& path : {dir / "missing" / "set.qcf", dir / "plain" / "set.qcf", dir / "folder", fs::path()}) {
    EXPECT_FALSE(WriteFileSafely(path.string(), "data")) << path;
  }
  // Files may grow to 1000 bytes only: the write of 8000 fails with EFBIG.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool savedOk = WriteFileSafely(target.string(), std::string(8000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(savedOk);
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(ReadBytes(dir / "plain"), "x");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder", "plain", "set.qcf"}));
  EXPECT_TRUE(fs::is_directory(dir / "folder") && fs::is_empty(dir / "folder"));
  fs::remove_all(dir);
}

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
