// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiSystem.h"
#include "tests/support/JackServer.h"
#include "tools/replay/ReplayRunner.h"

/// Starts a replay runner on the current JACK server's ports, lets `play` drive
/// it and returns everything the runner printed (messages the port accepted,
/// message boxes).
inline std::string ReplayOnJack(const std::function<void(ReplayRunner&)>& play) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  {
    ReplayOutput out(stream);
    auto service = CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
    ReplayRunner runner(std::make_unique<PrintingRealPort>(std::move(service), out), out, false);
    play(runner);
  }
  std::fclose(stream);
  std::string printed(text, size);
  std::free(text);
  return printed;
}

/// The device of `service` named `name`, if it lists one; with `wait`, the
/// list is refreshed (as a port box does when it opens) for up to ten seconds.
inline std::optional<unsigned> FindDevice(MidiOutService& service, const std::string& name, bool wait = false) {
  for (int tries = 0; tries < (wait ? 500 : 1); ++tries) {
    if (wait) service.RefreshDevices();
    for (unsigned i = 0; i < service.GetNumDevs(); ++i) {
      if (service.GetDeviceName(i) == name) return i;
    }
    if (wait) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

/// The wire form of quill-replay's "90 3D 40" lines: programme changes are 2 bytes.
inline std::vector<std::vector<uint8_t>> WireMessages(const std::string& printed) {
  std::vector<std::vector<uint8_t>> messages;
  std::istringstream lines(printed);
  std::string line;
  while (std::getline(lines, line)) {
    unsigned status = 0, data1 = 0, data2 = 0;
    if (line.empty() || line[0] == '!' || std::sscanf(line.c_str(), "%x %x %x", &status, &data1, &data2) != 3) continue;
    std::vector<uint8_t> message = {uint8_t(status), uint8_t(data1), uint8_t(data2)};
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) message.pop_back();
    messages.push_back(message);
  }
  return messages;
}

/// Runs the quill-replay program with `arguments`, giving it `lines` on its
/// standard input `pause` apart, as a performer plays them; returns what it
/// printed and sets `status` to its exit status (-1 when it did not exit normally).
inline std::string RunReplay(const std::string& arguments, int& status, const std::vector<std::string>& lines = {},
                             std::chrono::milliseconds pause = {}) {
  const std::string output =
      (std::filesystem::temp_directory_path() / ("quill-replay-" + std::to_string(::getpid()) + ".out")).string();
  status = -1;
  std::FILE* pipe = ::popen((std::string("'") + QUILL_REPLAY + "' " + arguments + " > '" + output + "'").c_str(), "w");
  if (!pipe) return {};
  for (const std::string& line : lines) {
    std::fputs((line + "\n").c_str(), pipe);
    std::fflush(pipe);
    std::this_thread::sleep_for(pause);
  }
  const int result = ::pclose(pipe);
  if (result != -1 && WIFEXITED(result)) status = WEXITSTATUS(result);
  std::ifstream in(output, std::ios::binary);
  std::string printed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::filesystem::remove(output);
  return printed;
}

/// A test on a private server of its own; skipped where jackd is not installed.
class JackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
    ASSERT_TRUE(server_.Start()) << "jackd did not start";
  }

  JackServer server_;
};
