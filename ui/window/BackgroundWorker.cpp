// SPDX-License-Identifier: MIT
#include "ui/window/BackgroundWorker.h"

#include <QMetaObject>

#include <utility>

BackgroundWorker::BackgroundWorker(WaitingJobsAtEnd atEnd) : atEnd_(atEnd), thread_([this] { Work(); }) {}

BackgroundWorker::~BackgroundWorker() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    if (atEnd_ == WaitingJobsAtEnd::Drop) jobs_.clear();
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundWorker::Post(Job job) {
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
}

void BackgroundWorker::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void BackgroundWorker::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping, nothing left to finish
      job = std::move(jobs_.front());
      jobs_.pop_front();
      busy_ = true;
    }
    Answer answer = job();
    {
      const std::lock_guard lock(mutex_);
      busy_ = false;
      // Once stopping, the creating thread is in the destructor: nobody would
      // take the answer.
      if (!stopping_ && answer) QMetaObject::invokeMethod(&answers_, std::move(answer), Qt::QueuedConnection);
    }
    changed_.notify_all();
  }
}
