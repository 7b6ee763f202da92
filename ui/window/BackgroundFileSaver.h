// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

#include "config/FileSaver.h"
#include "ui/window/BackgroundWorker.h"

/// Writes files on the window's file thread, in order, and answers on the
/// thread that created the worker: a disk that is slow to flush never stalls
/// the pen. The worker finishes every save asked for before it goes.
class BackgroundFileSaver : public FileSaver {
 public:
  explicit BackgroundFileSaver(BackgroundWorker& fileThread) : worker_(fileThread) {}

  void Save(const std::string& path, std::string bytes, Done done) override {
    worker_.Post([path, bytes = std::move(bytes), done = std::move(done)]() -> BackgroundWorker::Answer {
      const bool written = WriteFileSafely(path, bytes);
      return [done, written] { done(written); };
    });
  }

 private:
  BackgroundWorker& worker_;
};
