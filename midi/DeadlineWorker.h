// SPDX-License-Identifier: MIT
#pragma once

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

/// A thread of its own that runs tasks one after another, so that a caller
/// can wait for the MIDI system only up to a deadline and carry on without it.
/// The thread never outlives its worker: Stop joins it, and cancels it first
/// when a task stays blocked in a system call (a server that stopped for good).
class DeadlineWorker {
 public:
  using Task = std::function<void()>;

  /// Starts the thread; throws std::system_error when no thread can be made.
  DeadlineWorker();
  /// Stops with a deadline of one second.
  ~DeadlineWorker();
  DeadlineWorker(const DeadlineWorker&) = delete;
  DeadlineWorker& operator=(const DeadlineWorker&) = delete;

  /// Queues `task` after everything queued before and returns at once.
  void Post(Task task);
  /// Queues `task` and waits until it ran; false when it did not finish within
  /// `deadline` (it still runs, later) or the worker is stopping.
  bool Call(Task task, std::chrono::milliseconds deadline);
  /// True while a task that a Call stopped waiting for has not finished: the
  /// system it waits for is stalled.
  bool Busy() const;
  /// Runs what is queued, then ends the thread. Waits up to `deadline` for
  /// that; then cancels the task that is still blocked and joins the thread.
  /// False when the thread had to be cancelled (the task did not finish, and
  /// whatever it was using may be left half-done) or could not be joined.
  bool Stop(std::chrono::milliseconds deadline);

 private:
  struct Job {
    Task task;
    bool finished = false;
    bool abandoned = false;  ///< its caller stopped waiting
  };

  static void* ThreadMain(void* self);
  void Run();
  std::shared_ptr<Job> Queue(Task task);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<std::shared_ptr<Job>> queue_;
  int abandonedUnfinished_ = 0;  ///< Jobs given up on and not finished yet
  bool stopping_ = false;
  bool ended_ = false;
  bool stopped_ = false;
  pthread_t thread_{};
};
