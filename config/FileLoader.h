// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

/// A file read whole, or why it was not.
struct FileContents {
  enum class Outcome {
    Read,        ///< `bytes` holds the whole file
    Unreadable,  ///< no such file, no plain file (a folder, a device, a pipe), or reading failed
    TooLarge,    ///< larger than the reader's limit: not read at all
  };
  Outcome outcome = Outcome::Unreadable;
  std::string bytes;
};

/// Reads the plain file `path` whole when it holds at most `limit` bytes. It
/// never waits for a writer (a pipe is no plain file) and never reads beyond
/// the limit, however large the file is or grows while it is read.
FileContents ReadWholeFile(const std::string& path, uint64_t limit);

/// Reads whole files for the engine. The answer comes through `done` on the
/// thread that asked, either before Load returns or later, from that thread's
/// event loop. A file is read only after every save asked before it of the
/// FileSaver lent alongside (the window's share one thread; those that answer
/// at once need nothing more), so it is the file as last saved.
class FileLoader {
 public:
  using Done = std::function<void(FileContents contents)>;

  virtual ~FileLoader() = default;
  virtual void Load(const std::string& path, uint64_t limit, Done done) = 0;
};

/// Reads on the caller's thread before returning: for quill-replay and tests.
class ImmediateFileLoader : public FileLoader {
 public:
  void Load(const std::string& path, uint64_t limit, Done done) override { done(ReadWholeFile(path, limit)); }
};
