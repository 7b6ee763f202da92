// SPDX-License-Identifier: MIT
#include "midi/DeadlineWorker.h"

#include <ctime>
#include <exception>
#include <system_error>

namespace {
// How long Stop waits for a cancelled thread to unwind.
constexpr std::chrono::seconds kCancelWait{1};

timespec RealtimeIn(std::chrono::seconds delay) {
  timespec until{};
  clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += static_cast<time_t>(delay.count());
  return until;
}
}  // namespace

DeadlineWorker::DeadlineWorker() {
  if (const int error = pthread_create(&thread_, nullptr, &DeadlineWorker::ThreadMain, this)) {
    throw std::system_error(error, std::generic_category(), "DeadlineWorker");
  }
}

DeadlineWorker::~DeadlineWorker() { Stop(std::chrono::seconds(1)); }

void* DeadlineWorker::ThreadMain(void* self) {
  // Only a task may be cancelled, never the worker's own bookkeeping (which
  // holds the mutex or waits on a condition variable).
  pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
  static_cast<DeadlineWorker*>(self)->Run();
  return nullptr;
}

void DeadlineWorker::Run() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) break;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, nullptr);
    try {
      job->task();
    } catch (const std::exception&) {
      // The task reports failure through its own results, left unset.
    }
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, nullptr);
    std::lock_guard lock(mutex_);
    job->finished = true;
    if (job->abandoned) --abandonedUnfinished_;
    done_.notify_all();
  }
  std::lock_guard lock(mutex_);
  ended_ = true;
  done_.notify_all();
}

std::shared_ptr<DeadlineWorker::Job> DeadlineWorker::Queue(Task task) {
  auto job = std::make_shared<Job>();
  job->task = std::move(task);
  std::lock_guard lock(mutex_);
  if (stopping_) return nullptr;
  queue_.push_back(job);
  wake_.notify_one();
  return job;
}

void DeadlineWorker::Post(Task task) { Queue(std::move(task)); }

bool DeadlineWorker::Call(Task task, std::chrono::milliseconds deadline) {
  const std::shared_ptr<Job> job = Queue(std::move(task));
  if (!job) return false;
  std::unique_lock lock(mutex_);
  if (done_.wait_for(lock, deadline, [&] { return job->finished; })) return true;
  job->abandoned = true;
  ++abandonedUnfinished_;
  return false;
}

bool DeadlineWorker::Busy() const {
  std::lock_guard lock(mutex_);
  return abandonedUnfinished_ > 0;
}

bool DeadlineWorker::Stop(std::chrono::milliseconds deadline) {
  bool ended = false;
  {
    std::unique_lock lock(mutex_);
    if (stopped_) return true;
    stopped_ = true;
    stopping_ = true;
    wake_.notify_all();
    ended = done_.wait_for(lock, deadline, [&] { return ended_; });
  }
  if (ended) {
    pthread_join(thread_, nullptr);
    return true;
  }
  // A task is blocked in a system call that does not return (a stopped
  // server); cancelling unwinds it from that call.
  pthread_cancel(thread_);
  const timespec until = RealtimeIn(kCancelWait);
  if (pthread_timedjoin_np(thread_, nullptr, &until) != 0) {
    // Blocked where cancelling does not reach: waiting for it is the only way
    // that its task cannot touch what is about to be freed.
    pthread_join(thread_, nullptr);
  }
  return false;
}
