// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "midi/MidiSystem.h"
#include "tablet/layers/TabletLayers.h"

/// What the command line asks of the program.
struct CommandLine {
  TabletLayer tablet = TabletLayer::Default;
  MidiSystem midi = MidiSystem::Automatic;
  std::string problem;  ///< why a command line was refused, when more than the usage says
};

/// The usage line printed for a command line Quill does not understand.
std::string CommandLineUsage();

/// Reads Quill's own options, those starting with "--"; anything else (such
/// as Qt's "-platform offscreen") is left to Qt. False for an option Quill does
/// not know or a value it does not take.
bool ParseCommandLine(int argc, char** argv, CommandLine& options);
