// SPDX-License-Identifier: MIT
#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>

namespace {
// The write end of the pipe, for the handler; -1 while no instance exists.
volatile std::sig_atomic_t gWriteEnd = -1;

void OnSignal(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // A full pipe already holds a signal to act on; losing this one is fine.
  [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &number, 1);
  errno = savedErrno;
}
}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
  if (gWriteEnd != -1 || ::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    // Without the pipe the signals keep the system's handling (they end the
    // program at once); Quill still runs.
    std::perror("quill: signals keep their default handling");
    pipe_ = {-1, -1};
    return;
  }
  gWriteEnd = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadSignals(); });

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // One-shot, so a second signal is not caught; restarted, so no blocking
  // call elsewhere fails with EINTR because of us.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) {
    // A signal ignored by whoever started us stays ignored: under nohup a
    // hang-up must not end the performance.
    if (sigaction(kSignals[i], nullptr, &previous_[i]) == 0 && previous_[i].sa_handler == SIG_IGN) continue;
    sigaction(kSignals[i], &action, nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  if (pipe_[0] == -1) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  gWriteEnd = -1;
  delete notifier_;
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void TerminationSignals::ReadSignals() {
  unsigned char numbers[16];
  const ssize_t count = ::read(pipe_[0], numbers, sizeof numbers);
  for (ssize_t i = 0; i < count; ++i) onSignal_(numbers[i]);
}
