// SPDX-License-Identifier: MIT
#include "midi/DeadlineWorker.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

struct DeadlineWorker::State {
  struct Job {
    Task task;
    bool finished = false;
    bool abandoned = false;  ///< its caller stopped waiting
  };

  mutable std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable done;
  std::deque<std::shared_ptr<Job>> queue;
  Task idle;
  std::chrono::milliseconds idleEvery{0};
  int abandonedUnfinished = 0;  ///< Jobs given up on and not finished yet
  bool stopping = false;
  bool ended = false;

  std::shared_ptr<Job> Queue(Task task) {
    auto job = std::make_shared<Job>();
    job->task = std::move(task);
    std::lock_guard lock(mutex);
    if (stopping) return nullptr;
    queue.push_back(job);
    wake.notify_one();
    return job;
  }
};

DeadlineWorker::DeadlineWorker() : state_(std::make_shared<State>()) {
  // The thread holds its own reference: a thread let go keeps the state.
  thread_ = std::thread([state = state_] { Run(state); });
}

DeadlineWorker::~DeadlineWorker() { Stop(kDefaultStopDeadline); }

void DeadlineWorker::Run(const std::shared_ptr<State>& state) {
  for (;;) {
    std::shared_ptr<State::Job> job;
    Task idle;
    {
      std::unique_lock lock(state->mutex);
      const auto ready = [&] { return state->stopping || !state->queue.empty(); };
      if (state->idle && state->idleEvery.count() > 0) {
        if (!state->wake.wait_for(lock, state->idleEvery, ready)) idle = state->idle;
      } else {
        state->wake.wait(lock, ready);
      }
      if (!idle) {
        if (state->queue.empty()) break;
        job = std::move(state->queue.front());
        state->queue.pop_front();
      }
    }
    if (idle) {
      try {
        idle();
      } catch (const std::exception&) {
        // Watching goes on at the next turn.
      }
      continue;
    }
    try {
      job->task();
    } catch (const std::exception&) {
      // The task reports failure through its own results, left unset.
    }
    // What the task captured goes here, on this thread, not with the last
    // reference a caller may still hold.
    job->task = nullptr;
    std::lock_guard lock(state->mutex);
    job->finished = true;
    if (job->abandoned) --state->abandonedUnfinished;
    state->done.notify_all();
  }
  std::lock_guard lock(state->mutex);
  state->ended = true;
  state->done.notify_all();
}

void DeadlineWorker::Post(Task task) { state_->Queue(std::move(task)); }

void DeadlineWorker::SetIdleTask(Task task, std::chrono::milliseconds every) {
  std::lock_guard lock(state_->mutex);
  state_->idle = std::move(task);
  state_->idleEvery = every;
  state_->wake.notify_all();
}

bool DeadlineWorker::Call(Task task, std::chrono::milliseconds deadline) {
  const std::shared_ptr<State::Job> job = state_->Queue(std::move(task));
  if (!job) return false;
  std::unique_lock lock(state_->mutex);
  if (state_->done.wait_for(lock, deadline, [&] { return job->finished; })) return true;
  job->abandoned = true;
  ++state_->abandonedUnfinished;
  return false;
}

bool DeadlineWorker::Busy() const {
  std::lock_guard lock(state_->mutex);
  return state_->abandonedUnfinished > 0;
}

bool DeadlineWorker::Stop(std::chrono::milliseconds deadline) {
  if (stopped_) return !letGo_;
  stopped_ = true;
  bool ended = false;
  {
    std::unique_lock lock(state_->mutex);
    state_->stopping = true;
    state_->wake.notify_all();
    ended = state_->done.wait_for(lock, deadline, [&] { return state_->ended; });
  }
  if (ended) {
    thread_.join();
    return true;
  }
  // Blocked in a call that may never return: cancelling it would leave the
  // library it is in (and its locks) half-way, and waiting for it would hang
  // the end of the program. The thread keeps what it uses and is let go.
  thread_.detach();
  letGo_ = true;
  return false;
}
