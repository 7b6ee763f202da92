// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "config/FileLoader.h"
#include "ui/window/BackgroundWorker.h"

/// Reads files on the window's file thread, which also writes its saves, so a
/// file is read after every save asked before it; answers on the thread that
/// created the worker. A huge or slow file never stalls the pen.
class BackgroundFileLoader : public FileLoader {
 public:
  explicit BackgroundFileLoader(BackgroundWorker& fileThread) : worker_(fileThread) {}

  void Load(const std::string& path, uint64_t limit, Done done) override {
    worker_.Post([path, limit, done = std::move(done)]() -> BackgroundWorker::Answer {
      // Shared, so the bytes can travel in a copyable call.
      auto contents = std::make_shared<FileContents>(ReadWholeFile(path, limit));
      return [done, contents] { done(std::move(*contents)); };
    });
  }

 private:
  BackgroundWorker& worker_;
};
