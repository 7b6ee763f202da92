// SPDX-License-Identifier: MIT
#include "config/SafeFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;
// The name limit of most Linux file systems, for one that does not say.
constexpr long kUsualNameLimit = 255;
constexpr std::string_view kTemporaryMark = ".quill-save-";
constexpr size_t kHashDigits = 16;
constexpr size_t kRandomDigits = 8;

// The file a save of `path` replaces: the path itself, or where its links
// lead (a link to nothing yet leads to the file it names). Empty when a link
// cannot be read or the links go round.
std::string FollowLinks(const std::string& path) {
  std::string target = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT ? target : std::string();
    if (!S_ISLNK(info.st_mode)) return target;
    std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
    const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<size_t>(length) >= link.size()) return {};
    link.resize(static_cast<size_t>(length));
    // A relative link counts from the folder that holds it.
    const size_t slash = target.rfind('/');
    if (link.front() != '/' && slash != std::string::npos) link.insert(0, target, 0, slash + 1);
    target = std::move(link);
  }
  return {};
}

// Whether writing into the existing file directly would be allowed. The
// superuser passes every access check, so for it a file with no write bit
// at all stands for the owner's "do not change this".
bool MayWrite(const std::string& target, const struct stat& info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string Hex(uint64_t value, size_t digits) {
  std::string text(digits, '0');
  for (size_t i = digits; i-- > 0; value >>= 4) text[i] = "0123456789abcdef"[value & 15];
  return text;
}

bool IsHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// 64-bit FNV-1a: the same for the same name in every run, so a later save
// finds what an earlier one left.
uint64_t NameHash(std::string_view name) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3u;
  return hash;
}

// Where the target lives and how its temporary files are named.
struct TemporaryNames {
  std::string folder;  ///< the target's folder with its slash, or empty for the current one
  std::string prefix;  ///< every temporary name of this target starts so: ".NAME.quill-save-HASH-"

  std::string Random() const {
    thread_local std::minstd_rand numbers{std::random_device{}()};
    return folder + prefix + Hex(numbers(), kRandomDigits);
  }
  bool Names(std::string_view name) const {
    return name.size() == prefix.size() + kRandomDigits && name.starts_with(prefix) &&
           IsHex(name.substr(prefix.size()));
  }
};

TemporaryNames NamesFor(const std::string& target) {
  const size_t slash = target.rfind('/');
  TemporaryNames names;
  names.folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string_view name = std::string_view(target).substr(names.folder.size());
  long limit = ::pathconf(names.folder.empty() ? "." : names.folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = kUsualNameLimit;
  // "." NAME ".quill-save-" HASH "-" RANDOM, within the limit: NAME is cut
  // where needed, never inside a UTF-8 sequence.
  const size_t fixed = 1 + kTemporaryMark.size() + kHashDigits + 1 + kRandomDigits;
  size_t kept = name.size();
  if (fixed + kept > static_cast<size_t>(limit)) {
    kept = static_cast<size_t>(limit) > fixed ? static_cast<size_t>(limit) - fixed : 0;
    while (kept > 0 && (static_cast<uint8_t>(name[kept]) & 0xC0) == 0x80) --kept;
  }
  names.prefix =
      "." + std::string(name.substr(0, kept)) + std::string(kTemporaryMark) + Hex(NameHash(name), kHashDigits) + "-";
  return names;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes this target's temporary files that no running save holds locked:
// their saves were killed before they could clean up.
void RemoveLeftovers(const TemporaryNames& names) {
  DIR* folder = ::opendir(names.folder.empty() ? "." : names.folder.c_str());
  if (folder == nullptr) return;
  while (const dirent* entry = ::readdir(folder)) {
    if (!names.Names(entry->d_name)) continue;
    const std::string path = names.folder + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {
    }, named{};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && SameFile(opened, named)) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(folder);
}

// Opens a new temporary file beside the target, locked for as long as it is
// open. A name that a cleaning save took away before the lock was taken is
// given up for another.
int CreateTemporary(const TemporaryNames& names, std::string& temporaryPath) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    temporaryPath = names.Random();
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK) return fd;  // a file system without locks: its leftovers stay
      ::close(fd);                          // a cleaning save holds it and removes it
      continue;
    }
    struct stat opened {
    }, named{};
    if (::fstat(fd, &opened) == 0 && ::lstat(temporaryPath.c_str(), &named) == 0 && SameFile(opened, named)) return fd;
    ::close(fd);
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

// The existing file's mode, and its owner and group when the superuser
// saves (nobody else can give them away; where even it cannot, the save goes on).
bool TakeOver(int fd, const struct stat& target) {
  if (::geteuid() == 0 && (target.st_uid != ::geteuid() || target.st_gid != ::getegid())) {
    if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
    }
  }
  return ::fchmod(fd, target.st_mode & 07777) == 0;
}

void FlushFolder(const TemporaryNames& names) {
  const int fd = ::open(names.folder.empty() ? "." : names.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::string target = FollowLinks(path);
  if (target.empty()) return false;
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && (!S_ISREG(existing.st_mode) || !MayWrite(target, existing))) return false;

  const TemporaryNames names = NamesFor(target);
  RemoveLeftovers(names);
  std::string temporaryPath;
  const int fd = CreateTemporary(names, temporaryPath);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && (!exists || TakeOver(fd, existing));
  // The data must be on disk before the name points at it, or a crash could
  // leave an empty file where the old one was. The file stays open, and so
  // locked, until it has its final name.
  ok = ok && ::fsync(fd) == 0;
  ok = ok && ::rename(temporaryPath.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temporaryPath.c_str());
  ::close(fd);
  if (ok) FlushFolder(names);
  return ok;
}
