// SPDX-License-Identifier: MIT
// Saving never damages the file already on disk. The tests run as root, where
// permission bits stop no write, so failures are made by other means: a
// folder that does not exist, a target that is a folder, and a file-size
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

}  // namespace
