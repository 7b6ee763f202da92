// SPDX-License-Identifier: MIT
// Saving never damages the file already on disk. The tests run as root, where
// permission bits stop no write, so failures are made by other means: a
// directory that does not exist, a target that is a directory, and a file-size
// limit that makes the writing itself fail half-way.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/SafeFileWriter.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SafeFileWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quill-save-" + std::to_string(::getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Only the named entries are in the folder: no temporary file was left behind.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(SafeFileWriterTest, WritesNewFileAndReplacesOldOneKeepingItsMode) {
  const fs::path target = dir_ / "set.qcf";
  ASSERT_TRUE(WriteFileSafely(target.string(), std::string("one\r\n\0two", 10)));
  EXPECT_EQ(ReadBytes(target), std::string("one\r\n\0two", 10));

  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(WriteFileSafely(target.string(), "new"));
  EXPECT_EQ(ReadBytes(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"set.qcf"});
}

TEST_F(SafeFileWriterTest, FailsWhereNoFileCanBeMade) {
  std::ofstream(dir_ / "plain") << "x";
  fs::create_directory(dir_ / "folder");
  std::ofstream(dir_ / "folder" / "inside") << "kept";
  const std::string cases[] = {
      (dir_ / "missing" / "set.qcf").string(),  // the folder does not exist
      (dir_ / "plain" / "set.qcf").string(),    // the "folder" is a file
      (dir_ / "folder").string(),               // the target is a folder
      "",
  };
  for (const std::string& path : cases) EXPECT_FALSE(WriteFileSafely(path, "data")) << path;
  EXPECT_EQ(ReadBytes(dir_ / "folder" / "inside"), "kept");
  EXPECT_EQ(ReadBytes(dir_ / "plain"), "x");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "plain"}));
}

TEST_F(SafeFileWriterTest, WriteFailingHalfWayLeavesOldFileIntact) {
  const fs::path target = dir_ / "set.qcf";
  const std::string old(3000, 'o');
  std::ofstream(target, std::ios::binary) << old;

  // Files may grow to 1000 bytes only: the write of 8000 fails with EFBIG.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool savedOk = WriteFileSafely(target.string(), std::string(8000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(savedOk);
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"set.qcf"});
}

}  // namespace
