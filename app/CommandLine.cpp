// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <optional>
#include <string_view>

std::string CommandLineUsage() {
  return "usage: quill [--tablet=auto|evdev|qt|mouse|recording:FILE] [--any-tablet] [--midi=alsa|jack]";
}

bool ParseCommandLine(int argc, char** argv, CommandLine& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("--")) continue;
    if (arg.starts_with("--tablet=") && arg.substr(9).starts_with(kRecordingLayerPrefix)) {
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
    } else if (arg.starts_with("--midi=")) {
      const std::optional<MidiSystem> system = ParseMidiSystem(arg.substr(7));
      if (!system) return false;
      options.midi = *system;
    } else {
      return false;
    }
  }
  return true;
}
