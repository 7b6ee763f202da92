// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiSystem.h"
#include "tablet/layers/TabletLayers.h"

/// What the command line asks of the program.
struct CommandLine {
  TabletLayer tablet = TabletLayer::Default;
  std::string tabletRecording;  ///< the file of --tablet=recording:FILE
  bool anyTablet = false;       ///< --any-tablet: a tablet of any maker is taken
  bool fresh = false;           ///< --fresh: start with the default presets, not the last run's
  MidiSystem midi = MidiSystem::Automatic;
  std::string clientName = "Quill";          ///< --client-name NAME: the MIDI client's name
  std::chrono::microseconds midiLatency{0};  ///< --midi-latency=MS; 0: the MIDI system's own choice
  bool help = false;                         ///< --help: list the options and end
  bool version = false;                      ///< --version: print the version and end
  std::vector<std::string> files;            ///< the words that are no option: a configuration file to load
  std::string problem;                       ///< why a command line was refused, when more than the usage says
};

/// The usage line printed for a command line Quill does not understand.
std::string CommandLineUsage();
/// What --help prints: the usage line and every option.
std::string CommandLineHelp();

/// Reads Quill's own options, those starting with "--", and collects the words
/// that start with no "-" in `files`; anything else (such as Qt's "-platform")
/// is left to Qt. False for an option Quill does not know or a value it does
/// not take. Qt's options may have values ("-platform offscreen"): only once Qt
/// has taken its own options out of the command line are `files` the files.
bool ParseCommandLine(int argc, char** argv, CommandLine& options);

/// A session manager starts Quill without arguments, and a box that ends the
/// program would break the session: Quill starts as its menu entry does
/// (`--tablet=auto --any-tablet`), unless the command line chose a layer.
void UseSessionDefaults(CommandLine& options);

/// Whether JACK and ALSA take `name` as a client's name: 1 to 63 characters,
/// no ':' (which parts a client's name from its port's).
bool ValidClientName(std::string_view name);
