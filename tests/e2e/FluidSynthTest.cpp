// SPDX-License-Identifier: MIT
// A scripted phrase played through JACK into a real synthesiser, which logs
// every event as it read it: each note, programme, bend and pressure must be
// read as the value Quill meant (status bytes, message lengths, the byte order
// of a bend), and the rendering must bend the held note by the synthesiser's
// bend range as the pen tilts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "JackReplay.h"
#include "RenderedPitch.h"
#include "tests/support/JackServer.h"

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

// The middle pitch of the first run of at least three windows within 50 cents
// of `cents` (the sample itself may be tuned a little off) from `from` on;
// `from` moves past the run. -1000 when there is none.
int HeldPitch(const std::vector<int>& track, int cents, size_t& from) {
  size_t begin = from;
  while (begin < track.size() && std::abs(track[begin] - cents) > 50) ++begin;
  size_t end = begin;
  while (end < track.size() && std::abs(track[end] - cents) <= 50) ++end;
  if (end - begin < 3) return -1000;
  from = end;
  std::vector<int> run(track.begin() + std::ptrdiff_t(begin), track.begin() + std::ptrdiff_t(end));
  std::nth_element(run.begin(), run.begin() + std::ptrdiff_t(run.size() / 2), run.end());
  return run[run.size() / 2];
}

TEST(FluidSynth, ReadsEveryMessageAsSentAndBendsByItsRange) {
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
  const std::string command =
      "fluidsynth -d -a file -T raw -O s16 -E cpu -r 48000 -o 'audio.file.name=" + raw.string() +
      "' -o midi.jack.id=" + synthName + " -m jack " + QUILL_SOUNDFONT + " >'" + log.string() + "' 2>&1";
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
        // Each tilt is held long enough for its pitch to be measured.
        std::this_thread::sleep_for(std::string_view(line).starts_with("packet 1 1") ? 1200ms : 100ms);
      }
    });
  }
  std::fputs("quit\n", synth);
  ::pclose(synth);
  std::ifstream logFile(log);
  const std::string synthLog{std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>()};
  const std::vector<float> mono = RenderedPitch::Mono(raw);
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

  // TimGM6mb leaves the synthesiser's bend range at two semitones: the held
  // note sounds at its pitch, then about two semitones up (16253 of 16383:
  // 197 cents), then two semitones down.
  unsigned status = 0, note = 0;
  ASSERT_EQ(std::sscanf(sent.c_str() + sent.find("\n90 ") + 1, "%x %x", &status, &note), 2) << sent;
  const std::vector<int> track = RenderedPitch::PitchTrack(mono, int(note), -300, 300);
  size_t from = 0;
  const int unbent = HeldPitch(track, 0, from), up = HeldPitch(track, 200, from), down = HeldPitch(track, -200, from);
  EXPECT_NEAR(up - unbent, 197, 20) << ::testing::PrintToString(track);
  EXPECT_NEAR(down - unbent, -200, 20) << ::testing::PrintToString(track);
}
}  // namespace
