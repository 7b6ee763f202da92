// SPDX-License-Identifier: MIT
// A scripted phrase played through JACK into a real synthesiser: the note
// Quill sends must be the note that sounds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "JackServer.h"
#include "WavPitch.h"
#include "midi/MidiSystem.h"
#include "tools/replay/ReplayRunner.h"

extern char** environ;

namespace {
using namespace std::chrono_literals;

/// fluidsynth rendering what it receives on its JACK MIDI input into a WAV file.
class FluidSynth {
 public:
  /// Its MIDI input port.
  static std::string PortName() { return JackServer::UniqueClientName("fluidsynth") + ":midi_00"; }

  bool Start(const std::string& wav) {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    std::vector<std::string> args = {"fluidsynth", "-a", "file", "-o", "audio.file.name=" + wav,
                                     "-o", "midi.jack.id=" + JackServer::UniqueClientName("fluidsynth"), "-m", "jack",
                                     QUILL_SOUNDFONT};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "fluidsynth", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    input_ = fds[1];
    if (spawned != 0) pid_ = -1;
    return spawned == 0;
  }

  /// "quit" on its command line: the WAV header is then complete.
  void Quit() {
    if (pid_ <= 0) return;
    const char quit[] = "quit\n";
    [[maybe_unused]] auto written = ::write(input_, quit, sizeof quit - 1);
    int status = 0;
    for (int i = 0; i < 500 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
  }

  ~FluidSynth() {
    Quit();
    if (input_ >= 0) ::close(input_);
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
};

bool FluidSynthInstalled() {
  return std::system("command -v fluidsynth >/dev/null 2>&1") == 0 && std::filesystem::exists(QUILL_SOUNDFONT);
}

TEST(FluidSynthTest, PlayedNoteIsTheLoudestPitchOfTheRendering) {
  if (!JackServer::Installed()) GTEST_SKIP() << "jackd is not installed";
  if (!FluidSynthInstalled()) GTEST_SKIP() << "fluidsynth or its soundfont is not installed";
  JackServer server;
  ASSERT_TRUE(server.Start());

  const auto folder = std::filesystem::temp_directory_path() / ("quill-e2e-" + server.Name());
  std::filesystem::create_directories(folder);
  const std::string wav = (folder / "out.wav").string();
  int note = -1;
  {
    FluidSynth synth;
    ASSERT_TRUE(synth.Start(wav));
    ASSERT_TRUE(JackServer::WaitForPort(FluidSynth::PortName()));

    char* text = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    {
      ReplayOutput out(stream);
      // The synthesiser is the only MIDI input on the server: device 0.
      auto service = CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
      ReplayRunner runner(std::make_unique<PrintingRealPort>(std::move(service), out), out, false);
      std::string error;
      // A flute holds a clear fundamental; the pen presses in the middle of the
      // tablet and holds the note for a second before lifting.
      for (const char* line : {"set MIDI patch = 73", "packet 1 1 960 540 800 0 900 0"}) {
        ASSERT_TRUE(runner.RunLine(line, error)) << error;
      }
      std::this_thread::sleep_for(1200ms);
      ASSERT_TRUE(runner.RunLine("packet 1 0 960 540 0 0 900 0", error)) << error;
      std::this_thread::sleep_for(300ms);
    }
    std::fclose(stream);
    const std::string printed(text, size);
    std::free(text);
    unsigned status = 0, data1 = 0, data2 = 0;
    const size_t on = printed.find("\n90 ");
    ASSERT_NE(on, std::string::npos) << printed;
    ASSERT_EQ(std::sscanf(printed.c_str() + on + 1, "%x %x %x", &status, &data1, &data2), 3);
    note = int(data1);
    ASSERT_GT(data2, 0u) << printed;
    synth.Quit();
  }
  const auto pitch = WavPitch::Analyse(wav);
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(pitch.has_value()) << "no WAV rendered";
  EXPECT_GT(pitch->peak, 0.01) << "the rendering is silent";
  EXPECT_EQ(pitch->loudestNote, note);
}
}  // namespace
