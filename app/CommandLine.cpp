// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <optional>
#include <string_view>

std::string CommandLineUsage() { return "usage: quill [--tablet=auto|evdev|qt|mouse] [--midi=alsa|jack]"; }

bool ParseCommandLine(int argc, char** argv, CommandLine& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("--")) continue;
    if (arg.starts_with("--tablet=")) {
      const std::optional<TabletLayer> layer = ParseTabletLayer(arg.substr(9));
      if (!layer) return false;
      options.tablet = *layer;
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
