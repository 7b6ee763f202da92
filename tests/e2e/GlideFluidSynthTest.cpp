// SPDX-License-Identifier: MIT
// Glide and per-note channels played through JACK into a real synthesiser,
// which logs every event per channel as it read it: a chord with per-note
// channels reaches it as one note per channel, each after its own bend; and
// a held note that glides across two bands renders a pitch that moves
// smoothly from the first band's note to the third's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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

/// What the synthesiser heard and rendered.
struct Rendering {
  std::string log;          ///< its verbose event log
  std::vector<float> mono;  ///< its output
  std::string sent;         ///< what the runner printed
};

/// Starts FluidSynth on a private JACK server, rendering into a file and
/// logging every event, plays `lines` into it (each held for its pause) and
/// returns what came of it. (Its channel 10 plays drums whatever programme
/// it is sent: the notes here stay on channels 1 to 4.)
Rendering PlayIntoFluidSynth(const std::vector<std::pair<std::string, std::chrono::milliseconds>>& lines) {
  Rendering rendering;
  JackServer server;
  if (!server.Start()) {
    ADD_FAILURE() << "jackd did not start";
    return rendering;
  }
  const std::string synthName = JackServer::UniqueClientName("fluidsynth-glide");
  const auto folder = std::filesystem::temp_directory_path();
  const auto raw = folder / (synthName + ".raw"), log = folder / (synthName + ".log");
  const std::string command =
      "fluidsynth -v -a file -T raw -O s16 -E cpu -r 48000 -o 'audio.file.name=" + raw.string() +
      "' -o midi.jack.id=" + synthName + " -m jack " + QUILL_SOUNDFONT + " >'" + log.string() + "' 2>&1";
  std::FILE* synth = ::popen(command.c_str(), "w");
  if (synth == nullptr) {
    ADD_FAILURE() << "fluidsynth did not start";
    return rendering;
  }
  // The synthesiser is the only MIDI input on the server: device 0.
  if (JackServer::WaitForPort(synthName + ":midi_00")) {
    rendering.sent = ReplayOnJack([&lines](ReplayRunner& runner) {
      std::string error;
      for (const auto& [line, pause] : lines) {
        ASSERT_TRUE(runner.RunLine(line, error)) << line << ": " << error;
        std::this_thread::sleep_for(pause);
      }
    });
  } else {
    ADD_FAILURE() << "fluidsynth's MIDI input never appeared";
  }
  std::fputs("quit\n", synth);
  ::pclose(synth);
  std::ifstream logFile(log);
  rendering.log.assign(std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>());
  rendering.mono = RenderedPitch::Mono(raw);
  for (const auto& file : {raw, log}) std::filesystem::remove(file);
  return rendering;
}

bool SynthesiserInstalled() {
  return JackServer::Installed() && std::system("command -v fluidsynth >/dev/null 2>&1") == 0 &&
         std::filesystem::exists(QUILL_SOUNDFONT);
}

// The note-ons and pitch bends of the synthesiser's log ("fluidsynth: noteon
// 1 60 50 ...", "fluidsynth: pitchb 1 8192") by channel, counted from 0 as it
// logs them, e.g. "noteon 60" or "pitchb 8192".
std::map<int, std::vector<std::string>> NotesAndBendsByChannel(const std::string& log) {
  std::map<int, std::vector<std::string>> events;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    constexpr std::string_view kPrefix = "fluidsynth: ";
    if (!line.starts_with(kPrefix)) continue;
    std::istringstream words(line.substr(kPrefix.size()));
    std::string event;
    int channel = 0, value = 0;
    if (!(words >> event >> channel >> value) || (event != "noteon" && event != "pitchb")) continue;
    events[channel].push_back(event + " " + std::to_string(value));
  }
  return events;
}

TEST(GlideFluidSynth, AChordWithPerNoteChannelsBendsEachNoteBeforeItStarts) {
  if (!SynthesiserInstalled()) GTEST_SKIP() << "jackd, fluidsynth or its soundfont is not installed";
  // C major from C3 to C4, eight bands 128 pixels high; the eraser plays the
  // major chord, which glides a little upwards within its band.
  const Rendering rendering = PlayIntoFluidSynth({{"screen 1920 1025", 0ms},
                                                  {"set MIDI patch = 73", 0ms},
                                                  {"set Scale = 173", 0ms},
                                                  {"set Key = 0", 0ms},
                                                  {"set Min note = 60", 0ms},
                                                  {"set Max note = 72", 0ms},
                                                  {"set Glide = 2", 0ms},
                                                  {"set MPE = 1", 100ms},
                                                  {"packet 2 1 960 970 400 0 900 0", 50ms},
                                                  {"packet 2 1 960 960 400 0 900 0", 300ms},
                                                  {"packet 2 1 960 930 400 0 900 0", 300ms},
                                                  {"packet 2 0 960 930 0 0 900 0", 200ms}});
  // Channels 2, 3 and 4: each its own note, its bend first (the centre), then
  // the glide's bend on each (0.47 semitones of 48), which returns to the
  // centre at the end.
  const auto events = NotesAndBendsByChannel(rendering.log);
  const std::map<int, std::vector<std::string>> expected = {
      {1, {"pitchb 8192", "noteon 60", "pitchb 8272", "pitchb 8192"}},
      {2, {"pitchb 8192", "noteon 64", "pitchb 8272", "pitchb 8192"}},
      {3, {"pitchb 8192", "noteon 67", "pitchb 8272", "pitchb 8192"}}};
  EXPECT_EQ(events, expected) << rendering.log << "\nsent:\n" << rendering.sent;
}

TEST(GlideFluidSynth, AHeldNoteGlidesSmoothlyAcrossTwoBands) {
  if (!SynthesiserInstalled()) GTEST_SKIP() << "jackd, fluidsynth or its soundfont is not installed";
  // C major from C3 to C4 over a range of 12 semitones: from C3's centre up to
  // E3's in steps of 8 pixels, an eighth of a semitone or less, then held.
  std::vector<std::pair<std::string, std::chrono::milliseconds>> lines = {{"screen 1920 1025", 0ms},
                                                                          {"set MIDI patch = 73", 0ms},
                                                                          {"set Scale = 173", 0ms},
                                                                          {"set Key = 0", 0ms},
                                                                          {"set Min note = 60", 0ms},
                                                                          {"set Max note = 72", 0ms},
                                                                          {"set Bend range = 12", 0ms},
                                                                          {"set Glide = 2", 100ms},
                                                                          {"packet 1 1 960 970 400 0 900 0", 50ms},
                                                                          {"packet 1 1 960 960 400 0 900 0", 800ms}};
  for (int y = 952; y >= 704; y -= 8) lines.push_back({"packet 1 1 960 " + std::to_string(y) + " 400 0 900 0", 50ms});
  lines.push_back({"packet 1 1 960 704 400 0 900 0", 800ms});
  lines.push_back({"packet 1 0 960 704 0 0 900 0", 200ms});
  const Rendering rendering = PlayIntoFluidSynth(lines);

  // One note, C3, bent by the range the set-up gave the synthesiser.
  const auto events = NotesAndBendsByChannel(rendering.log);
  ASSERT_EQ(events.size(), 1u) << rendering.log;
  EXPECT_EQ(std::count(events.at(0).begin(), events.at(0).end(), "noteon 60"), 1) << rendering.log;
  EXPECT_EQ(events.at(0).end()[-2], "pitchb 10923") << rendering.log;  // then back to rest at the end
  const std::vector<int> track = RenderedPitch::PitchTrack(rendering.mono, 60, -100, 500);
  ASSERT_GT(track.size(), 20u) << "the rendering is silent";
  // It starts at C3 and ends at E3, four semitones up (the sample itself may
  // be tuned a little off: the difference counts). Each end is the median of
  // five windows: the note's attack may read a little off on its own...
  auto median = [](std::vector<int> windows) {
    std::nth_element(windows.begin(), windows.begin() + 2, windows.end());
    return windows[2];
  };
  const int start = median({track.begin(), track.begin() + 5}), end = median({track.end() - 5, track.end()});
  EXPECT_NEAR(end - start, 400, 25) << ::testing::PrintToString(track);
  // ...and passes every pitch between: no window leaps more than a semitone
  // past the last, and the way up never turns back by more than a little.
  int highest = start, steps = 0;
  for (size_t i = 5; i < track.size(); ++i) {
    EXPECT_LE(std::abs(track[i] - track[i - 1]), 100) << ::testing::PrintToString(track);
    EXPECT_GE(track[i], highest - 30) << ::testing::PrintToString(track);
    highest = std::max(highest, track[i]);
    if (track[i] > start + 50 && track[i] < end - 50) ++steps;
  }
  EXPECT_GE(steps, 4) << "too few windows between the notes: " << ::testing::PrintToString(track);
}

}  // namespace
