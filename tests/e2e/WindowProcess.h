// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

/// The real window, played from the test (quill-playing-window play): each
/// line sent is played on the window's thread and answered with "ok".
class WindowProcess {
 public:
  WindowProcess(const std::string& program, const std::string& client) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) posix_spawn_file_actions_addclose(&actions, fd);
    std::string mode = "play", name = client, path = program;
    char* argv[] = {path.data(), mode.data(), name.data(), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    input_ = in[1];
    answers_ = ::fdopen(out[0], "r");
    errors_ = err[0];
    ::fcntl(errors_, F_SETFL, O_NONBLOCK);
  }
  ~WindowProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0) ::close(input_);
    if (answers_) std::fclose(answers_);
    if (errors_ >= 0) ::close(errors_);
  }
  WindowProcess(const WindowProcess&) = delete;
  WindowProcess& operator=(const WindowProcess&) = delete;

  bool Started() const { return pid_ > 0 && answers_; }

  /// Plays one line; true once the window has done it.
  bool Play(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(input_, text.data(), text.size()) != ssize_t(text.size())) return false;
    char answer[16] = "";
    return std::fgets(answer, sizeof answer, answers_) && std::string(answer) == "ok\n";
  }

  /// Closes the window and waits for the program to end (at most `limit`);
  /// its exit status, -1 when it did not end by itself.
  int Quit(std::chrono::seconds limit = std::chrono::seconds(20)) {
    Play("quit");
    const auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      Collect();
      if (std::chrono::steady_clock::now() > until) return -1;
      ::usleep(10'000);
    }
    pid_ = -1;
    Collect();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  /// What the program wrote to standard error so far.
  const std::string& Said() {
    Collect();
    return said_;
  }

 private:
  void Collect() {
    char chunk[4096];
    for (ssize_t n; (n = ::read(errors_, chunk, sizeof chunk)) > 0;) said_.append(chunk, size_t(n));
  }

  pid_t pid_ = -1;
  int input_ = -1;
  std::FILE* answers_ = nullptr;
  int errors_ = -1;
  std::string said_;
};
