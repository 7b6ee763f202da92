// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

/// SIGINT, SIGTERM and SIGHUP, turned into a call on the GUI thread. The
/// handler itself only writes the signal's number into a pipe (nothing that is
/// not async-signal-safe, no MIDI); a QSocketNotifier reads it in the event
/// loop and runs `onSignal` there. Each handler is one-shot: a second signal
/// of the same kind, should the clean end hang, ends the program the system's
/// way. A signal the parent left ignored (SIGHUP under nohup) stays ignored.
/// One instance at a time; the previous handlers come back when it goes.
class TerminationSignals : public QObject {
 public:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

  explicit TerminationSignals(std::function<void(int signal)> onSignal);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  void ReadSignals();

  std::function<void(int)> onSignal_;
  std::array<int, 2> pipe_{-1, -1};  ///< read end, write end
  std::array<struct sigaction, kSignals.size()> previous_{};
  QSocketNotifier* notifier_ = nullptr;
};
