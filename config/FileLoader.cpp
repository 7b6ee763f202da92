// SPDX-License-Identifier: MIT
#include "config/FileLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

FileContents ReadWholeFile(const std::string& path, uint64_t limit) {
  FileContents contents;
  // Without O_NONBLOCK, opening a pipe would wait for a writer.
  const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return contents;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return contents;
  }
  if (static_cast<uint64_t>(info.st_size) > limit) {
    ::close(fd);
    contents.outcome = FileContents::Outcome::TooLarge;
    return contents;
  }
  // The file may grow while it is read: one byte beyond the limit tells.
  std::string bytes(static_cast<size_t>(std::min<uint64_t>(limit, static_cast<uint64_t>(info.st_size)) + 1), '\0');
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > limit) break;
      bytes.resize(std::min<uint64_t>(limit + 1, uint64_t{2} * filled));
    }
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return contents;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  ::close(fd);
  if (filled > limit) {
    contents.outcome = FileContents::Outcome::TooLarge;
    return contents;
  }
  bytes.resize(filled);
  contents.bytes = std::move(bytes);
  contents.outcome = FileContents::Outcome::Read;
  return contents;
}
