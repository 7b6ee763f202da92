// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

#include "config/FileSaver.h"
#include "ui/window/BackgroundWorker.h"

/// Writes files on a thread of its own, in order, and answers on the thread
/// that created it: a disk that is slow to flush never stalls the pen.
/// Destroying the saver finishes every save asked for first.
class BackgroundFileSaver : public FileSaver {
 public:
  void Save(const std::string& path, std::string bytes, Done done) override {
    worker_.Post([path, bytes = std::move(bytes), done = std::move(done)]() -> BackgroundWorker::Answer {
      const bool written = WriteFileSafely(path, bytes);
      return [done, written] { done(written); };
    });
  }
  void WaitForSaves() override { worker_.WaitUntilIdle(); }

 private:
  BackgroundWorker worker_{BackgroundWorker::WaitingJobsAtEnd::Finish};
};
