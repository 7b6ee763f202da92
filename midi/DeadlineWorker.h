// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

/// A thread of its own that runs tasks one after another, so that a caller
/// can wait for the MIDI system only up to a deadline and carry on without it.
///
/// A task blocked in a call that never returns (a server that stopped for
/// good) is never cancelled: the thread is let go instead, and whoever stops
/// the worker waits no longer than the deadline given. A thread let go keeps
/// what it needs (its queue, and whatever the tasks hold) and, should the
/// call ever return, runs the rest of its queue and ends on its own. So a
/// task must own, through shared pointers it captures, everything it uses:
/// it may run after its worker and the worker's owner are gone.
class DeadlineWorker {
 public:
  using Task = std::function<void()>;

  /// Starts the thread; throws std::system_error when no thread can be made.
  DeadlineWorker();
  /// Stops with a deadline of kDefaultStopDeadline.
  ~DeadlineWorker();
  DeadlineWorker(const DeadlineWorker&) = delete;
  DeadlineWorker& operator=(const DeadlineWorker&) = delete;

  static constexpr std::chrono::milliseconds kDefaultStopDeadline{1000};

  /// Queues `task` after everything queued before and returns at once.
  void Post(Task task);
  /// Runs `task` whenever the queue has been empty for `every`: watching a
  /// system that may go away or stall. An empty task stops it.
  void SetIdleTask(Task task, std::chrono::milliseconds every);
  /// Queues `task` and waits until it ran; false when it did not finish within
  /// `deadline` (it still runs, later) or the worker is stopping.
  bool Call(Task task, std::chrono::milliseconds deadline);
  /// True while a task that a Call stopped waiting for has not finished: the
  /// system it waits for is stalled.
  bool Busy() const;
  /// Takes no more tasks, runs what is queued and ends the thread, waiting up
  /// to `deadline` for that. A thread still busy then is let go, and Stop
  /// returns false: the queue is run (or not) without anyone waiting for it.
  bool Stop(std::chrono::milliseconds deadline);

 private:
  /// The queue and its bookkeeping: shared with the thread, which may
  /// outlive the worker.
  struct State;

  static void Run(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::thread thread_;
  bool stopped_ = false;
  bool letGo_ = false;
};
