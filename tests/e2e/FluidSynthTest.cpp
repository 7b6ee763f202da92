// SPDX-License-Identifier: MIT
// A scripted phrase played through JACK into a real synthesiser, which logs
// every event as it read it: each note, programme, bend and pressure must be
// read as the value Quill meant (status bytes, message lengths, the byte order
// of a bend).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "JackReplay.h"
#include "JackServer.h"

namespace {
using namespace std::chrono_literals;
using Values = std::vector<std::string>;

// The numbers after the channel of one kind of event on channel 1, as
// fluidsynth logs them ("event_pre_noteon 0 61 100" gives "61 100").
Values Logged(const std::string& log, const std::string& event) {
  Values values;
  std::istringstream lines(log);
  std::string line;
  const std::string prefix = "event_pre_" + event + " 0 ";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) == 0) values.push_back(line.substr(prefix.size()));
  }
  return values;
}

// The same for the messages the runner printed ("90 3D 64" gives "61 100"):
// a bend's two data bytes are one 14-bit number, low byte first.
Values Sent(const std::string& printed, unsigned status) {
  Values values;
  std::istringstream lines(printed);
  std::string line;
  unsigned s = 0, low = 0, high = 0;
  while (std::getline(lines, line)) {
    if (std::sscanf(line.c_str(), "%x %x %x", &s, &low, &high) != 3 || s != status) continue;
    if (status == 0xE0) {
      values.push_back(std::to_string(low | high << 7));
    } else if (status == 0xC0 || status == 0xD0) {
      values.push_back(std::to_string(low));
    } else {
      values.push_back(std::to_string(low) + " " + std::to_string(high));
    }
  }
  return values;
}

TEST(FluidSynth, TheSynthesiserReadsEveryMessageAsSent) {
  if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
  if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 || !std::filesystem::exists(QUILL_SOUNDFONT)) {
    GTEST_SKIP() << "fluidsynth or its soundfont is not installed";
  }
  JackServer server;
  ASSERT_TRUE(server.Start());
  // fluidsynth renders into a file (there is no sound card) and logs every
  // event it receives; "quit" on its command line ends it.
  const std::string synthName = JackServer::UniqueClientName("fluidsynth");
  const auto folder = std::filesystem::temp_directory_path();
  const auto raw = folder / (synthName + ".raw"), log = folder / (synthName + ".log");
  const std::string command = "fluidsynth -d -a file -T raw -o 'audio.file.name=" + raw.string() +
                              "' -o midi.jack.id=" + synthName + " -m jack " + QUILL_SOUNDFONT + " >'" + log.string() +
                              "' 2>&1";
  std::FILE* synth = ::popen(command.c_str(), "w");
  ASSERT_NE(synth, nullptr);
  std::string sent;
  // The synthesiser is the only MIDI input on the server: device 0. A flute
  // with tilt aimed at pitch bend and pressure at channel pressure: the pen
  // leans at about 35 degrees (the centre), stands upright (fully up), lies
  // flat (fully down) while it presses harder, then lifts.
  if (JackServer::WaitForPort(synthName + ":midi_00")) {
    sent = ReplayOnJack([](ReplayRunner& runner) {
      std::string error;
      for (const char* line :
           {"set MIDI patch = 73", "set Tilt cc = 129", "set Pressure cc = 130", "packet 1 1 960 540 200 0 553 0",
            "packet 1 1 960 540 600 0 900 0", "packet 1 1 960 540 1016 0 200 0", "packet 1 0 960 540 0 0 200 0"}) {
        ASSERT_TRUE(runner.RunLine(line, error)) << line << ": " << error;
        std::this_thread::sleep_for(100ms);
      }
    });
  }
  std::fputs("quit\n", synth);
  ::pclose(synth);
  std::ifstream logFile(log);
  const std::string synthLog{std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>()};
  std::filesystem::remove(raw);
  std::filesystem::remove(log);

  // Bytes that differ within one bend, so that swapped bytes would show; the lift re-centres.
  EXPECT_EQ(Sent(sent, 0xE0), (Values{"8192", "16253", "0", "8192"})) << sent;
  EXPECT_EQ(Sent(sent, 0xD0), (Values{"25", "75", "127", "0"})) << sent;
  const std::pair<const char*, unsigned> kinds[] = {{"noteon", 0x90}, {"noteoff", 0x80}, {"cc", 0xB0},
                                                    {"prog", 0xC0},   {"pitch", 0xE0},   {"cpress", 0xD0}};
  for (const auto& [event, status] : kinds) {
    SCOPED_TRACE(event);
    EXPECT_FALSE(Sent(sent, status).empty()) << sent;
    EXPECT_EQ(Logged(synthLog, event), Sent(sent, status)) << synthLog;
  }
}
}  // namespace
