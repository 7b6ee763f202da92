// SPDX-License-Identifier: MIT
// quill-replay: plays scripted pen packets and control changes (and, on
// request, a recorded tablet) through the performance engine and prints every
// MIDI message, message box and (on request) display text, one line each.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <signal.h>  // sigaction

#include "midi/MidiSystem.h"
#include "tools/replay/RecordingPlayback.h"
#include "tools/replay/ReplayRunner.h"
#include "tools/replay/ScriptFile.h"
#include "tools/replay/ScriptParsing.h"

namespace {
constexpr int kUsageError = 2;

// SIGINT, SIGTERM or SIGHUP: the run ends as a script's end does (what sounds
// is stopped, on a real port too), then the program dies of that signal.
volatile std::sig_atomic_t interruption = 0;

extern "C" void NoteInterruption(int signal) { interruption = signal; }

void CatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = NoteInterruption;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read waiting for the next script line returns at once.
  // A signal ignored by whoever started us (SIGINT for a job in the
  // background of a script) stays ignored.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

bool Interrupted() { return interruption != 0; }

constexpr const char* kUsageLine =
    "usage: quill-replay [--devices N] [--show-displays] [--midi=alsa|jack] "
    "[--tablet-recording FILE [--any-tablet] [--show-packets]] [SCRIPT]\n"
    "       quill-replay --help | --version\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "quill-replay: %s\n%s", problem, kUsageLine);
  return kUsageError;
}

int Help() {
  std::printf("%s", kUsageLine);
  std::printf(
      "Plays SCRIPT (or standard input) through Quill's performance engine and prints every MIDI\n"
      "message it sends.\n\n"
      "  --devices N              pretend N MIDI output devices (default 1; 0 = none)\n"
      "  --show-displays          also print every display text the engine sets, as '= ID TEXT'\n"
      "  --midi=alsa|jack         send to that system's real MIDI ports as well\n"
      "  --tablet-recording FILE  after the script, play FILE (an evemu recording of a tablet)\n"
      "                           through the evdev layer onto the screen the script set\n"
      "  --any-tablet             take a recorded tablet of any maker, not only a Wacom\n"
      "  --show-packets           print each packet of the recording as '> CURSOR BUTTONS X Y\n"
      "                           PRESSURE AZIMUTH ALTITUDE TWIST' before what it does\n"
      "  --help                   print this help\n"
      "  --version                print the version\n");
  return 0;
}

struct Options {
  unsigned devices = 1;
  bool showDisplays = false;
  const char* script = nullptr;
  std::optional<MidiSystem> midi;   ///< real ports instead of the pretended devices
  const char* recording = nullptr;  ///< the tablet recording played after the script
  bool anyTablet = false;
  bool showPackets = false;
};

// The value of "--name VALUE" or "--name=VALUE"; nothing when it is missing.
std::optional<std::string_view> OptionValue(std::string_view name, int argc, char** argv, int& i) {
  const std::string_view arg = argv[i];
  if (arg == name) {
    if (++i >= argc) return std::nullopt;
    return std::string_view(argv[i]);
  }
  return arg.substr(name.size() + 1);
}

bool IsOption(std::string_view arg, std::string_view name) {
  return arg == name || (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

// Runs the script, then the recording; the port is closed (what it was sent
// delivered) and the output written when this returns the exit status.
int Play(std::FILE* in, const Options& options, const std::optional<TabletRecording>& recording) {
  ReplayOutput out(stdout);
  std::unique_ptr<MidiOutService> midi;
  if (options.midi) {
    midi = std::make_unique<PrintingRealPort>(CreateMidiOutService(*options.midi), out);
  } else {
    midi = std::make_unique<PrintingDevices>(options.devices, out);
  }
  ReplayRunner runner(std::move(midi), out, options.showDisplays);

  if (const auto error = RunScript(in, runner, Interrupted)) {
    runner.EndPerformance();
    out.Flush();
    std::fprintf(stderr, "quill-replay: line %lu: %s\n", error->line, error->reason.c_str());
    return kUsageError;
  }
  if (recording && !Interrupted()) {
    const RecordingPlaybackOptions playback{options.anyTablet ? TabletMakers::Any : TabletMakers::WacomOnly,
                                            options.showPackets};
    PlayTabletRecording(*recording, runner, out, playback);
  }
  runner.EndPerformance();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      return Help();
    } else if (arg == "--version") {
      std::printf("quill-replay %s\n", QUILL_VERSION);
      return 0;
    } else if (arg == "--show-displays") {
      options.showDisplays = true;
    } else if (IsOption(arg, "--devices")) {
      const auto value = OptionValue("--devices", argc, argv, i);
      if (!value) return Usage("--devices needs a number");
      const auto count = ScriptParsing::ParseInRange(*value, 0, 4096);
      if (!count) return Usage("--devices needs a number from 0 to 4096");
      options.devices = static_cast<unsigned>(*count);
    } else if (IsOption(arg, "--tablet-recording")) {
      const auto value = OptionValue("--tablet-recording", argc, argv, i);
      if (!value || value->empty()) return Usage("--tablet-recording needs a file");
      options.recording = value->data();
    } else if (arg == "--any-tablet") {
      options.anyTablet = true;
    } else if (arg == "--show-packets") {
      options.showPackets = true;
    } else if (arg.starts_with("--midi=")) {
      options.midi = ParseMidiSystem(arg.substr(std::strlen("--midi=")));
      if (!options.midi) return Usage("--midi takes alsa or jack");
      if (!MidiSystemBuiltIn(*options.midi)) return Usage("this build has no JACK support");
      const std::string absence = MidiSystemAbsence(*options.midi);
      if (!absence.empty()) std::fprintf(stderr, "quill-replay: --midi=alsa: %s\n", absence.c_str());
    } else if (arg.starts_with("-") && arg != "-") {
      return Usage(("unknown option " + std::string(arg)).c_str());
    } else if (!options.script) {
      options.script = argv[i];
    } else {
      return Usage("only one script may be given");
    }
  }

  if ((options.anyTablet || options.showPackets) && !options.recording) {
    return Usage("--any-tablet and --show-packets go with --tablet-recording");
  }

  // The recording is read whole before anything runs: a file that cannot be
  // played is a mistake on the command line.
  std::optional<TabletRecording> recording;
  if (options.recording) {
    std::string error;
    recording = ReadTabletRecording(options.recording, error);
    if (!recording) {
      std::fprintf(stderr, "quill-replay: cannot read the tablet recording %s: %s\n", options.recording, error.c_str());
      return kUsageError;
    }
  }

  std::FILE* in = stdin;
  if (options.script && std::string_view(options.script) != "-") {
    in = std::fopen(options.script, "rb");
    if (!in) {
      std::fprintf(stderr, "quill-replay: cannot open %s: %s\n", options.script, std::strerror(errno));
      return kUsageError;
    }
  }

  CatchInterruptions();
  const int status = Play(in, options, recording);
  if (Interrupted()) {
    // Everything is written and the port closed: now die as asked.
    std::signal(interruption, SIG_DFL);
    std::raise(interruption);
  }
  return status;
}
