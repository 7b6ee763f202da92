// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "config/SafeFileWriter.h"

/// Writes whole files for the engine, safely (see WriteFileSafely). The answer
/// comes through `done` on the thread that asked, either before Save returns
/// or later, from that thread's event loop. Every save asked for is carried
/// out, in order, even when its answer can no longer be given.
class FileSaver {
 public:
  /// Whether the file was written.
  using Done = std::function<void(bool written)>;

  virtual ~FileSaver() = default;
  virtual void Save(const std::string& path, std::string bytes, Done done) = 0;
};

/// Writes on the caller's thread before returning: for quill-replay and tests.
class ImmediateFileSaver : public FileSaver {
 public:
  void Save(const std::string& path, std::string bytes, Done done) override { done(WriteFileSafely(path, bytes)); }
};
