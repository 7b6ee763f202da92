// SPDX-License-Identifier: MIT
// quill-replay: plays scripted pen packets and control changes through the
// performance engine and prints every MIDI message, message box and (on
// request) display text, one line each.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "midi/MidiSystem.h"
#include "tools/replay/ReplayRunner.h"
#include "tools/replay/ScriptParsing.h"

namespace {
constexpr int kUsageError = 2;

int Usage(const char* problem) {
  std::fprintf(stderr,
               "quill-replay: %s\nusage: quill-replay [--devices N] [--show-displays] [--midi=alsa|jack] [SCRIPT]\n",
               problem);
  return kUsageError;
}

struct Options {
  unsigned devices = 1;
  bool showDisplays = false;
  const char* script = nullptr;
  std::optional<MidiSystem> midi;  ///< real ports instead of the pretended devices
};

// Reads one line of any length; false at the end of the input.
bool ReadLine(std::FILE* in, std::string& line) {
  line.clear();
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, in)) {
    const size_t length = std::strlen(chunk);
    line.append(chunk, length);
    if (length > 0 && chunk[length - 1] == '\n') {
      line.pop_back();
      return true;
    }
  }
  return !line.empty();
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--show-displays") {
      options.showDisplays = true;
    } else if (arg == "--devices" || arg.starts_with("--devices=")) {
      std::string_view value;
      if (arg == "--devices") {
        if (++i >= argc) return Usage("--devices needs a number");
        value = argv[i];
      } else {
        value = arg.substr(std::strlen("--devices="));
      }
      const auto count = ScriptParsing::ParseInRange(value, 0, 4096);
      if (!count) return Usage("--devices needs a number from 0 to 4096");
      options.devices = static_cast<unsigned>(*count);
    } else if (arg.starts_with("--midi=")) {
      options.midi = ParseMidiSystem(arg.substr(std::strlen("--midi=")));
      if (!options.midi) return Usage("--midi takes alsa or jack");
      if (!MidiSystemBuiltIn(*options.midi)) return Usage("this build has no JACK support");
    } else if (arg.starts_with("-") && arg != "-") {
      return Usage(("unknown option " + std::string(arg)).c_str());
    } else if (!options.script) {
      options.script = argv[i];
    } else {
      return Usage("only one script may be given");
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

  ReplayOutput out(stdout);
  std::unique_ptr<MidiOutService> midi;
  if (options.midi) {
    midi = std::make_unique<PrintingRealPort>(CreateMidiOutService(*options.midi), out);
  } else {
    midi = std::make_unique<PrintingDevices>(options.devices, out);
  }
  ReplayRunner runner(std::move(midi), out, options.showDisplays);

  std::string line;
  std::string error;
  for (unsigned long number = 1; ReadLine(in, line); ++number) {
    if (!runner.RunLine(line, error)) {
      runner.EndPerformance();
      out.Flush();
      std::fprintf(stderr, "quill-replay: line %lu: %s\n", number, error.c_str());
      return kUsageError;
    }
  }
  runner.EndPerformance();
  return 0;
}
