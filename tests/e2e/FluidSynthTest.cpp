// SPDX-License-Identifier: MIT
// Scripted phrases played through JACK into a real synthesiser: the note Quill
// sends must be the note that sounds, a tilting pen must bend it by the
// synthesiser's bend range, and channel pressure must reach it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "JackReplay.h"
#include "JackServer.h"

namespace {
using namespace std::chrono_literals;

constexpr double kRate = 48000;

// Energy of one frequency in a stretch of the signal (Goertzel), Hann-windowed.
double Energy(const float* samples, size_t n, double frequency) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / kRate);
  double previous = 0, beforePrevious = 0;
  for (size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n - 1));
    const double current = samples[i] * window + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
  }
  return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

double NoteFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

/// What a phrase gave: the rendering (mono), what fluidsynth printed and what
/// the runner sent.
struct Rendering {
  std::vector<float> mono;
  std::string synthLog;
  std::string sent;
};

class FluidSynthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
    if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 || !std::filesystem::exists(QUILL_SOUNDFONT)) {
      GTEST_SKIP() << "fluidsynth or its soundfont is not installed";
    }
    ASSERT_TRUE(server_.Start());
  }

  /// fluidsynth renders what reaches its JACK MIDI input into raw 16-bit
  /// stereo at 48 kHz while `play` drives the runner; "quit" on its command
  /// line ends it with the file complete. With `dump` it prints every MIDI
  /// event it receives.
  static Rendering Render(const std::function<void(ReplayRunner&)>& play, bool dump = false) {
    const std::string synthName = JackServer::UniqueClientName("fluidsynth");
    const auto folder = std::filesystem::temp_directory_path();
    const auto raw = folder / (synthName + ".raw"), log = folder / (synthName + ".log");
    const std::string command = std::string("fluidsynth ") + (dump ? "-d " : "") +
                                "-a file -T raw -O s16 -E cpu -r 48000 -o 'audio.file.name=" + raw.string() +
                                "' -o midi.jack.id=" + synthName + " -m jack " + QUILL_SOUNDFONT + " >'" +
                                log.string() + "' 2>&1";
    Rendering result;
    std::FILE* synth = ::popen(command.c_str(), "w");
    if (synth == nullptr) return result;
    // The synthesiser is the only MIDI input on the server: device 0.
    if (JackServer::WaitForPort(synthName + ":midi_00")) result.sent = ReplayOnJack(play);
    std::fputs("quit\n", synth);
    ::pclose(synth);

    std::ifstream logFile(log);
    result.synthLog.assign(std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>());
    std::ifstream file(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::filesystem::remove(raw);
    std::filesystem::remove(log);
    result.mono.resize(bytes.size() / 4);
    for (size_t frame = 0; frame < result.mono.size(); ++frame) {
      int16_t left, right;
      std::memcpy(&left, &bytes[frame * 4], 2);
      std::memcpy(&right, &bytes[frame * 4 + 2], 2);
      result.mono[frame] = float(left + right) / 65536.0f;
    }
    return result;
  }

  static void Run(ReplayRunner& runner, std::initializer_list<const char*> lines) {
    std::string error;
    for (const char* line : lines) ASSERT_TRUE(runner.RunLine(line, error)) << line << ": " << error;
  }

  /// The note of the first note-on the runner sent, or -1.
  static int FirstNote(const std::string& sent) {
    unsigned status = 0, note = 0, velocity = 0;
    const size_t on = sent.find("\n90 ");
    if (on == std::string::npos || std::sscanf(sent.c_str() + on + 1, "%x %x %x", &status, &note, &velocity) != 3 ||
        velocity == 0) {
      return -1;
    }
    return int(note);
  }

  JackServer server_;
};

TEST_F(FluidSynthTest, PlayedNoteIsTheLoudestPitchOfTheRendering) {
  const Rendering rendering = Render([](ReplayRunner& runner) {
    // A flute holds a clear fundamental; the pen presses in the middle of the
    // tablet and holds the note for a second before lifting.
    Run(runner, {"set MIDI patch = 73", "packet 1 1 960 540 800 0 900 0"});
    std::this_thread::sleep_for(1200ms);
    Run(runner, {"packet 1 0 960 540 0 0 900 0"});
    std::this_thread::sleep_for(300ms);
  });
  const int note = FirstNote(rendering.sent);
  ASSERT_GE(note, 0) << rendering.sent;
  const auto& mono = rendering.mono;
  float peak = 0;
  for (float sample : mono) peak = std::max(peak, std::fabs(sample));
  ASSERT_GT(peak, 0.01) << "the rendering is silent";
  int loudest = 0;
  double best = -1;
  for (int candidate = 21; candidate <= 108; ++candidate) {
    const double energy = Energy(mono.data(), mono.size(), NoteFrequency(candidate));
    if (energy > best) best = energy, loudest = candidate;
  }
  EXPECT_EQ(loudest, note);
}

// The pitch of the rendering, window by window, in cents from `note`: the
// strongest frequency within three semitones of it, in steps of 5 cents.
// Quiet windows (before the note, after its release) are left out.
std::vector<int> PitchTrack(const std::vector<float>& mono, int note) {
  constexpr size_t kWindow = 8192, kHop = 4096;
  std::vector<int> cents;
  for (size_t start = 0; start + kWindow <= mono.size(); start += kHop) {
    float peak = 0;
    for (size_t i = start; i < start + kWindow; ++i) peak = std::max(peak, std::fabs(mono[i]));
    if (peak < 0.01f) continue;
    int best = 0;
    double bestEnergy = -1;
    for (int c = -300; c <= 300; c += 5) {
      const double energy = Energy(&mono[start], kWindow, NoteFrequency(note + c / 100.0));
      if (energy > bestEnergy) bestEnergy = energy, best = c;
    }
    cents.push_back(best);
  }
  return cents;
}

// Where a run of at least three windows near `cents` (within 50: the sample
// itself may be tuned a little off) begins in the track, from `from` on; the
// track's size when there is none.
size_t HeldAt(const std::vector<int>& track, int cents, size_t from) {
  size_t run = 0;
  for (size_t i = from; i < track.size(); ++i) {
    run = std::abs(track[i] - cents) <= 50 ? run + 1 : 0;
    if (run == 3) return i - 2;
  }
  return track.size();
}

// The middle pitch of the windows from `begin` to `end`.
int Median(const std::vector<int>& track, size_t begin, size_t end) {
  std::vector<int> part(track.begin() + std::ptrdiff_t(begin), track.begin() + std::ptrdiff_t(end));
  std::nth_element(part.begin(), part.begin() + std::ptrdiff_t(part.size() / 2), part.end());
  return part[part.size() / 2];
}

TEST_F(FluidSynthTest, ATiltingPenBendsTheHeldNoteByTheBendRange) {
  // Tilt aimed at pitch bend over the whole range: a pen leaning at about 35
  // degrees from the tablet gives tilt 64, the centre; upright it bends up
  // fully (tilt 126), flat on the tablet fully down. The note is held meanwhile.
  const Rendering rendering = Render([](ReplayRunner& runner) {
    Run(runner, {"set MIDI patch = 73", "set Tilt cc = 129", "packet 1 1 960 540 800 0 553 0"});
    std::this_thread::sleep_for(1200ms);
    Run(runner, {"packet 1 1 960 540 800 0 900 0"});
    std::this_thread::sleep_for(1200ms);
    Run(runner, {"packet 1 1 960 540 800 0 200 0"});
    std::this_thread::sleep_for(1200ms);
    Run(runner, {"packet 1 0 960 540 0 0 200 0"});
    std::this_thread::sleep_for(300ms);
  });
  const int note = FirstNote(rendering.sent);
  ASSERT_GE(note, 0) << rendering.sent;
  EXPECT_NE(rendering.sent.find("E0 00 40\nE0 7D 7E\nE0 00 00\n"), std::string::npos) << rendering.sent;

  // TimGM6mb leaves fluidsynth's bend range at two semitones: the held note
  // sounds at its pitch, then about two semitones up (tilt 126 of 127: 197
  // cents), then two semitones down.
  const std::vector<int> track = PitchTrack(rendering.mono, note);
  const size_t centre = HeldAt(track, 0, 0);
  const size_t up = HeldAt(track, 200, centre);
  const size_t down = HeldAt(track, -200, up);
  ASSERT_LT(down, track.size()) << ::testing::PrintToString(track);
  const int unbent = Median(track, centre, up);
  EXPECT_NEAR(Median(track, up, down) - unbent, 197, 20) << ::testing::PrintToString(track);
  EXPECT_NEAR(Median(track, down, track.size()) - unbent, -200, 20) << ::testing::PrintToString(track);
}

TEST_F(FluidSynthTest, ChannelPressureReachesTheSynthesiser) {
  // Pressure aimed at channel pressure swells with the pen; the lift zeroes it.
  const Rendering rendering = Render(
      [](ReplayRunner& runner) {
        Run(runner, {"set Pressure cc = 130", "packet 1 1 960 540 200 0 900 0", "packet 1 1 960 540 600 0 900 0",
                     "packet 1 1 960 540 1016 0 900 0"});
        std::this_thread::sleep_for(500ms);
        Run(runner, {"packet 1 0 960 540 0 0 900 0"});
        std::this_thread::sleep_for(300ms);
      },
      true);
  ASSERT_NE(rendering.sent.find("D0 19 00\nD0 4B 00\nD0 7F 00\n"), std::string::npos) << rendering.sent;
  std::vector<int> received;
  for (size_t at = rendering.synthLog.find("event_pre_cpress"); at != std::string::npos;
       at = rendering.synthLog.find("event_pre_cpress", at + 1)) {
    int channel = -1, value = -1;
    if (std::sscanf(rendering.synthLog.c_str() + at, "event_pre_cpress %d %d", &channel, &value) == 2 && channel == 0)
      received.push_back(value);
  }
  EXPECT_EQ(received, (std::vector<int>{25, 75, 127, 0})) << rendering.synthLog;
}
}  // namespace
