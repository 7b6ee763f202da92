// SPDX-License-Identifier: MIT
// A scripted phrase played through JACK into a real synthesiser: the note
// Quill sends must be the note that sounds.
#include <gtest/gtest.h>
#include <unistd.h>

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
#include <string>
#include <thread>
#include <vector>

#include "JackReplay.h"
#include "JackServer.h"

namespace {
using namespace std::chrono_literals;

// Energy of one frequency in the signal (Goertzel), Hann-windowed.
double Energy(const std::vector<float>& samples, double frequency, double rate) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double previous = 0, beforePrevious = 0;
  const size_t n = samples.size();
  for (size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
    const double current = samples[i] * window + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

TEST(FluidSynthTest, PlayedNoteIsTheLoudestPitchOfTheRendering) {
  if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
  if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 || !std::filesystem::exists(QUILL_SOUNDFONT)) {
    GTEST_SKIP() << "fluidsynth or its soundfont is not installed";
  }
  JackServer server;
  ASSERT_TRUE(server.Start());
  const std::string synthName = JackServer::UniqueClientName("fluidsynth");
  const auto raw = std::filesystem::temp_directory_path() / (synthName + ".raw");

  // fluidsynth renders what reaches its JACK MIDI input into raw 16-bit stereo
  // at 48 kHz; "quit" on its command line ends it with the file complete.
  const std::string command = "fluidsynth -a file -T raw -O s16 -E cpu -r 48000 -o 'audio.file.name=" + raw.string() +
                              "' -o midi.jack.id=" + synthName + " -m jack " + QUILL_SOUNDFONT + " >/dev/null 2>&1";
  std::FILE* synth = ::popen(command.c_str(), "w");
  ASSERT_NE(synth, nullptr);
  ASSERT_TRUE(JackServer::WaitForPort(synthName + ":midi_00"));

  // The synthesiser is the only MIDI input on the server: device 0.
  const std::string printed = ReplayOnJack([](ReplayRunner& runner) {
    std::string error;
    // A flute holds a clear fundamental; the pen presses in the middle of the
    // tablet and holds the note for a second before lifting.
    for (const char* line : {"set MIDI patch = 73", "packet 1 1 960 540 800 0 900 0"}) {
      ASSERT_TRUE(runner.RunLine(line, error)) << error;
    }
    std::this_thread::sleep_for(1200ms);
    ASSERT_TRUE(runner.RunLine("packet 1 0 960 540 0 0 900 0", error)) << error;
    std::this_thread::sleep_for(300ms);
  });
  std::fputs("quit\n", synth);
  ::pclose(synth);

  unsigned status = 0, note = 0, velocity = 0;
  const size_t on = printed.find("\n90 ");
  ASSERT_NE(on, std::string::npos) << printed;
  ASSERT_EQ(std::sscanf(printed.c_str() + on + 1, "%x %x %x", &status, &note, &velocity), 3);
  ASSERT_GT(velocity, 0u) << printed;

  std::ifstream file(raw, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::filesystem::remove(raw);
  std::vector<float> mono(bytes.size() / 4);
  float peak = 0;
  for (size_t frame = 0; frame < mono.size(); ++frame) {
    int16_t left, right;
    std::memcpy(&left, &bytes[frame * 4], 2);
    std::memcpy(&right, &bytes[frame * 4 + 2], 2);
    mono[frame] = float(left + right) / 65536.0f;
    peak = std::max(peak, std::fabs(mono[frame]));
  }
  ASSERT_GT(peak, 0.01) << "the rendering is silent";
  unsigned loudest = 0;
  double best = -1;
  for (unsigned candidate = 21; candidate <= 108; ++candidate) {
    const double energy = Energy(mono, 440.0 * std::pow(2.0, (int(candidate) - 69) / 12.0), 48000);
    if (energy > best) best = energy, loudest = candidate;
  }
  EXPECT_EQ(loudest, note);
}
}  // namespace
