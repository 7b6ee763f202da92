// SPDX-License-Identifier: MIT
#include "config/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace {

// Opens a new file beside the target whose name no other file has.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath) {
  static std::minstd_rand numbers{std::random_device{}()};
  for (int attempt = 0; attempt < 64; ++attempt) {
    temporaryPath = path + ".tmp" + std::to_string(numbers());
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  std::string temporaryPath;
  const int fd = CreateTemporaryBeside(path, temporaryPath);
  if (fd < 0) return false;

  bool ok = WriteAll(fd, bytes);
  struct stat target {};
  if (ok && ::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
    ok = ::fchmod(fd, target.st_mode & 07777) == 0;
  }
  // The data must be on disk before the name points at it, or a crash could
  // leave an empty file where the old one was.
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temporaryPath.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporaryPath.c_str());
  return ok;
}
