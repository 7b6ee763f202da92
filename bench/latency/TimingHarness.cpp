// SPDX-License-Identifier: MIT
// quill-timing [--notes N] [--period FRAMES] [--quill PATH] [-- QUILL OPTIONS...]
//
// How faithfully the real window keeps the pen's rhythm. A tablet recording
// with N taps (default 400) at irregular, known times 4 to 19 ms apart plays
// in `quill --tablet=recording:FILE --midi=jack` on a virtual X server (Xvfb)
// into a JACK receiver of its own that notes the absolute frame of every
// note-on (a private server: dummy driver, 48 kHz, the period given). For
// each pair of neighbouring notes the gap heard (in frames) is compared with
// the gap played: the errors' median, 99th percentile and largest, with the
// count of messages Quill itself found late (its standard error). The
// figures need an otherwise idle machine.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/JackServer.h"
#include "tests/support/QuietProcess.h"

namespace {
using namespace std::chrono_literals;

constexpr int kNoteOnCapacity = 1 << 16;

/// A JACK MIDI input that notes the absolute frame and note of every note-on.
class FrameStampedReceiver {
 public:
  bool Open(const std::string& name) {
    jack_status_t status{};
    client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client_) return false;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &FrameStampedReceiver::Process, this);
    return port_ && jack_activate(client_) == 0;
  }
  ~FrameStampedReceiver() {
    if (client_) jack_client_close(client_);
  }
  std::string PortName() const { return jack_port_name(port_); }
  int Count() const { return count_.load(); }
  uint64_t Frame(int i) const { return frames_[size_t(i)]; }
  int Note(int i) const { return notes_[size_t(i)]; }

 private:
  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<FrameStampedReceiver*>(arg);
    void* buffer = jack_port_get_buffer(self->port_, frames);
    const jack_nframes_t start = jack_last_frame_time(self->client_);
    const uint32_t events = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < events; ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) != 0 || event.size != 3) continue;
      if ((event.buffer[0] & 0xF0) != 0x90 || event.buffer[2] == 0) continue;
      const int n = self->count_.load(std::memory_order_relaxed);
      if (n >= kNoteOnCapacity) continue;
      self->frames_[size_t(n)] = uint64_t{start} + event.time;
      self->notes_[size_t(n)] = event.buffer[1];
      self->count_.store(n + 1, std::memory_order_release);
    }
    return 0;
  }

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::atomic<int> count_{0};
  std::array<uint64_t, kNoteOnCapacity> frames_{};
  std::array<int, kNoteOnCapacity> notes_{};
};

struct Tap {
  int64_t microseconds;  ///< from the start of the recording
  int band;              ///< which of the ten bands of the default note list
};

// Writes the recording: the header of a real Intuos4, then the pen brought
// near, and `taps` (each a touch of 2 ms at its band's height).
void WriteRecording(const std::string& path, const std::vector<Tap>& taps) {
  std::ifstream header(std::string(QUILL_TABLET_DATA) + "/wacom-intuos4-6x9-stylus-tap.evemu");
  std::ofstream out(path);
  std::string line;
  while (std::getline(header, line)) {
    if (!line.starts_with("E:")) out << line << "\n";
  }
  constexpr int kMaxY = 27940;
  constexpr int kX = 22000;
  auto event = [&](int64_t us, int type, int code, int value) {
    out << "E: " << us / 1'000'000 << "." << std::setw(6) << std::setfill('0') << us % 1'000'000 << " " << std::setw(4)
        << std::hex << type << " " << std::setw(4) << code << " " << std::dec << std::setfill(' ') << value << "\n";
  };
  int64_t t = 1'000'000;
  event(t, 3, 0x00, kX);  // ABS_X
  event(t, 3, 0x01, kMaxY / 2);
  event(t, 1, 0x140, 1);  // BTN_TOOL_PEN
  event(t, 0, 0, 0);
  for (const Tap& tap : taps) {
    t = 1'000'000 + tap.microseconds;
    // The bands count from the bottom of the screen.
    event(t, 3, 0x01, (9 - tap.band) * kMaxY / 10 + kMaxY / 20);
    event(t, 3, 0x18, 1200);  // ABS_PRESSURE
    event(t, 1, 0x14a, 1);    // BTN_TOUCH
    event(t, 0, 0, 0);
    event(t + 2000, 3, 0x18, 0);
    event(t + 2000, 1, 0x14a, 0);
    event(t + 2000, 0, 0, 0);
  }
  event(t + 100'000, 1, 0x140, 0);
  event(t + 100'000, 0, 0, 0);
}

void End(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 500 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
  if (::waitpid(pid, &status, WNOHANG) == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
}

double At(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}
}  // namespace

int main(int argc, char** argv) {
  int notes = 400;
  int period = JackServer::kPeriod;
  std::string quill = QUILL_PROGRAM;
  std::vector<std::string> quillOptions;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      quillOptions.assign(argv + i + 1, argv + argc);
      break;
    }
    if (i + 1 >= argc) break;
    if (arg == "--notes") notes = std::clamp(std::atoi(argv[++i]), 2, 4000);
    if (arg == "--period") period = std::max(16, std::atoi(argv[++i]));
    if (arg == "--quill") quill = argv[++i];
  }
  if (!JackServer::Installed() || std::system("command -v Xvfb >/dev/null 2>&1") != 0) {
    std::printf("jackd and Xvfb are needed: no figures\n");
    return 0;
  }

  // Taps at irregular times, 4 to 19 ms apart, across the bands.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> gap(4000, 19000);
  std::vector<Tap> taps;
  int64_t t = 0;
  for (int i = 0; i < notes; ++i) {
    taps.push_back({t, i % 10});
    t += gap(random);
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quill-timing-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string recording = (folder / "taps.evemu").string();
  WriteRecording(recording, taps);

  const std::string display = ":" + std::to_string(90 + ::getpid() % 100);
  const pid_t xvfb = SpawnQuietly({"Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  ::setenv("DISPLAY", display.c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::setenv("HOME", folder.c_str(), 1);
  ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);

  JackServer server(period);
  if (!server.Start()) {
    std::printf("jackd did not start\n");
    End(xvfb);
    return 1;
  }
  auto receiver = std::make_unique<FrameStampedReceiver>();
  if (!receiver->Open(JackServer::UniqueClientName("timing")) || !JackServer::WaitForPort(receiver->PortName())) {
    std::printf("the receiver did not start\n");
    End(xvfb);
    return 1;
  }
  std::this_thread::sleep_for(500ms);  // Xvfb takes connections

  const std::string errors = (folder / "quill.err").string();
  std::vector<std::string> command = {quill, "--tablet=recording:" + recording, "--any-tablet", "--midi=jack"};
  command.insert(command.end(), quillOptions.begin(), quillOptions.end());
  const pid_t pid = SpawnQuietly(command, errors);
  // One pass, after the recording's pause; the next would start a second later.
  const auto until = std::chrono::steady_clock::now() + 20s + std::chrono::microseconds(t);
  while (receiver->Count() < notes && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(10ms);
  End(pid);
  const int heard = std::min(receiver->Count(), notes);

  std::ifstream errorFile(errors);
  std::stringstream said;
  said << errorFile.rdbuf();
  unsigned long long late = 0, timed = 0, dropped = 0;
  const std::string text = said.str();
  const size_t at = text.find("quill: ");
  if (at != std::string::npos) {
    std::sscanf(text.c_str() + at, "quill: %llu of %llu timed MIDI messages went out late, %llu", &late, &timed,
                &dropped);
  }

  bool inOrder = heard == notes;
  for (int i = 0; i < heard && inOrder; ++i) inOrder = receiver->Note(i) == receiver->Note(i % 10);
  std::vector<double> errorsInFrames;
  for (int i = 0; i + 1 < heard; ++i) {
    const double playedGap =
        double(taps[size_t(i) + 1].microseconds - taps[size_t(i)].microseconds) * JackServer::kSampleRate / 1e6;
    const double heardGap = double(receiver->Frame(i + 1)) - double(receiver->Frame(i));
    errorsInFrames.push_back(std::fabs(heardGap - playedGap));
  }
  receiver.reset();
  server.Stop();
  End(xvfb);
  std::filesystem::remove_all(folder);

  std::printf("%d taps played, %d note-ons heard%s; period %d frames at %d Hz\n", notes, heard,
              inOrder ? "" : " (not the ones played: the figures are meaningless)", period, JackServer::kSampleRate);
  if (errorsInFrames.empty()) return 1;
  const double toMs = 1000.0 / JackServer::kSampleRate;
  const double median = At(errorsInFrames, 0.5), p99 = At(errorsInFrames, 0.99), worst = At(errorsInFrames, 1.0);
  std::printf("gap error: median %.1f frames (%.3f ms), p99 %.1f frames (%.3f ms), largest %.1f frames (%.3f ms)\n",
              median, median * toMs, p99, p99 * toMs, worst, worst * toMs);
  std::printf("messages Quill sent late: %llu (stale notes left out: %llu)\n", late, dropped);
  return 0;
}
