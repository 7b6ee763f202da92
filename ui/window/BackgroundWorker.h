// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

/// One thread that runs jobs in order, away from the thread that created the
/// worker, and hands each job's answer back to that thread, from its event
/// loop. Answers not yet given when the worker is destroyed are dropped; jobs
/// still waiting then are dropped or finished first, as the owner chose.
class BackgroundWorker {
 public:
  /// What a job leaves to be done on the creating thread.
  using Answer = std::function<void()>;
  using Job = std::function<Answer()>;
  enum class WaitingJobsAtEnd { Drop, Finish };

  explicit BackgroundWorker(WaitingJobsAtEnd atEnd);
  /// Waits for the job under way, and for the waiting ones if they finish.
  ~BackgroundWorker();
  BackgroundWorker(const BackgroundWorker&) = delete;
  BackgroundWorker& operator=(const BackgroundWorker&) = delete;

  void Post(Job job);
  /// Returns once every job posted so far has run (their answers may still
  /// be on their way).
  void WaitUntilIdle();

 private:
  void Work();

  const WaitingJobsAtEnd atEnd_;
  /// Answers are posted to this object; Qt drops them once it is gone.
  QObject answers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;  ///< last: started once everything above exists
};
