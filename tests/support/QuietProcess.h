// SPDX-License-Identifier: MIT
// Starting a program beside a test or a benchmark without its output mixed
// into theirs.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

/// Starts `words` (the program looked up on PATH unless it names a path)
/// with standard output to /dev/null and standard error to `errors`, in
/// `environment` ("NAME=value" entries; the caller's own when empty). The
/// process id, or -1.
inline pid_t SpawnQuietly(std::vector<std::string> words, const std::string& errors = "/dev/null",
                          std::vector<std::string> environment = {}) {
  std::vector<char*> argv, envp;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environment.empty() ? environ : envp.data()) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}
