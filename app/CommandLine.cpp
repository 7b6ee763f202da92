// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace {
// JACK keeps client names to 63 characters and uses ':' between a client's
// name and its port's.
constexpr size_t kLongestClientName = 63;
// A second of latency is far beyond any use; a value that large is a mistake.
constexpr double kLongestLatencyMs = 1000.0;

std::optional<std::chrono::microseconds> ParseLatency(std::string_view text) {
  double ms = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
  if (error != std::errc() || end != text.data() + text.size() || !(ms > 0 && ms <= kLongestLatencyMs)) {
    return std::nullopt;
  }
  return std::chrono::microseconds(std::llround(ms * 1000));
}
}  // namespace

bool ValidClientName(std::string_view name) {
  return !name.empty() && name.size() <= kLongestClientName && name.find(':') == std::string_view::npos;
}

void UseSessionDefaults(CommandLine& options) {
  if (options.tablet == TabletLayer::Default) options.tablet = TabletLayer::Auto;
  options.anyTablet = true;
}

std::string CommandLineUsage() {
  return "usage: quill [--tablet=auto|evdev|qt|mouse|recording:FILE] [--any-tablet] [--midi=alsa|jack]\n"
         "             [--client-name NAME] [--midi-latency=MS] [--fresh] [FILE.qcf]";
}

std::string CommandLineHelp() {
  return CommandLineUsage() +
         "\n"
         "Plays MIDI notes, chords and controllers with a graphics tablet's pen.\n"
         "\n"
         "  --tablet=LAYER  where the pen comes from:\n"
         "                    evdev  the tablet's event device (the whole tablet)\n"
         "                    qt     Qt's tablet events over the tablet area\n"
         "                    mouse  the mouse plays the pen (right button: tip, wheel: pressure,\n"
         "                           Shift: eraser, middle button: barrel switch)\n"
         "                    auto   evdev, else qt when Qt knows a tablet, else the mouse\n"
         "                    recording:FILE  a recorded tablet (evemu file) played over and over\n"
         "                  without the option: evdev when a tablet device can be read, else qt\n"
         "  --any-tablet    take a tablet pen of any maker, not only Wacom's\n"
         "  --midi=SYSTEM   alsa or jack (default: ALSA when its sequencer runs, else JACK)\n"
         "  --client-name NAME\n"
         "                  the name of Quill's MIDI client (default: Quill), so that several\n"
         "                  Quills keep apart in a patchbay\n"
         "  --midi-latency=MS\n"
         "                  every message goes out this many milliseconds after the pen did it\n"
         "                  (default on JACK: one period and 3 ms; ALSA sends at once)\n"
         "  --fresh         start with the default presets instead of those Quill had when it\n"
         "                  last closed (kept in the user's data folder as last-session.qcf)\n"
         "  --help          show this help and end\n"
         "  --version       show the version and end\n"
         "  FILE.qcf        presets to load at start, as Load... does (instead of the last ones)\n";
}

bool ParseCommandLine(int argc, char** argv, CommandLine& options) {
  options.files.clear();
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("-")) {
      options.files.emplace_back(arg);
      continue;
    }
    if (!arg.starts_with("--")) continue;
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg.starts_with("--tablet=") && arg.substr(9).starts_with(kRecordingLayerPrefix)) {
      const std::string_view file = arg.substr(9 + kRecordingLayerPrefix.size());
      if (file.empty()) return false;
      options.tablet = TabletLayer::Recording;
      options.tabletRecording = file;
    } else if (arg.starts_with("--tablet=")) {
      const std::optional<TabletLayer> layer = ParseTabletLayer(arg.substr(9));
      if (!layer) return false;
      options.tablet = *layer;
    } else if (arg == "--any-tablet") {
      options.anyTablet = true;
    } else if (arg == "--fresh") {
      options.fresh = true;
    } else if (arg == "--client-name" || arg.starts_with("--client-name=")) {
      std::string_view name;
      if (arg == "--client-name") {
        if (i + 1 >= argc) return false;
        name = argv[++i];
      } else {
        name = arg.substr(14);
      }
      if (!ValidClientName(name)) {
        options.problem = "a client name has 1 to 63 characters and no ':'";
        return false;
      }
      options.clientName = name;
    } else if (arg.starts_with("--midi-latency=")) {
      const std::optional<std::chrono::microseconds> latency = ParseLatency(arg.substr(15));
      if (!latency) {
        options.problem = "--midi-latency takes milliseconds above 0, up to 1000";
        return false;
      }
      options.midiLatency = *latency;
    } else if (arg.starts_with("--midi=")) {
      const std::optional<MidiSystem> system = ParseMidiSystem(arg.substr(7));
      if (!system) return false;
      if (!MidiSystemBuiltIn(*system)) {
        options.problem = "this build of Quill has no JACK support";
        return false;
      }
      options.midi = *system;
    } else {
      return false;
    }
  }
  return true;
}
