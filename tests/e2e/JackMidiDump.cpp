// SPDX-License-Identifier: MIT
#include "JackMidiDump.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "JackServer.h"

extern char** environ;

JackMidiDump::JackMidiDump(const std::string& client)
    : client_(client), log_((std::filesystem::temp_directory_path() / (client + ".midi-dump")).string()) {
  // Line-buffered, so every message is in the log as soon as it is printed.
  std::vector<std::string> args = {"stdbuf", "-oL", "jack_midi_dump", client_};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "stdbuf", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    return;
  }
  ready_ = JackServer::WaitForPort(PortName());
}

JackMidiDump::~JackMidiDump() {
  if (pid_ > 0) {
    // SIGINT lets jack_midi_dump close its client; killed by SIGTERM it leaves
    // the server waiting for it, long enough to be killed in turn and to leave
    // its entry in JACK's registry of servers behind.
    ::kill(pid_, SIGINT);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  std::filesystem::remove(log_);
}

std::vector<std::vector<uint8_t>> JackMidiDump::Messages() const {
  // Lines such as "   0: 90 49 32 note on  (channel  0): pitch  73, velocity  50":
  // the bytes are the two-digit hex words after the time stamp.
  std::vector<std::vector<uint8_t>> messages;
  std::ifstream log(log_);
  std::string line;
  while (std::getline(log, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream words(line.substr(colon + 1));
    std::vector<uint8_t> bytes;
    std::string word;
    unsigned value = 0;
    while (words >> word && word.size() == 2 && std::sscanf(word.c_str(), "%2x", &value) == 1) {
      bytes.push_back(static_cast<uint8_t>(value));
    }
    if (!bytes.empty()) messages.push_back(bytes);
  }
  return messages;
}

std::vector<std::vector<uint8_t>> JackMidiDump::WaitFor(size_t count, std::chrono::milliseconds limit) const {
  const auto until = std::chrono::steady_clock::now() + limit;
  auto messages = Messages();
  while (messages.size() < count && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    messages = Messages();
  }
  return messages;
}
