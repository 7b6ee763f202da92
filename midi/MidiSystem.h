// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "midi/MidiOutService.h"

/// The system that carries Quill's MIDI output.
enum class MidiSystem {
  Automatic,  ///< the ALSA sequencer when present, else JACK (whenever a server runs), else no devices
  Alsa,       ///< the ALSA sequencer only
  Jack,       ///< a JACK server only
};

/// "alsa" or "jack" as given on the command line; nothing for any other name.
std::optional<MidiSystem> ParseMidiSystem(std::string_view name);

/// False for a system this build leaves out (JACK, with QUILL_WITH_JACK off).
bool MidiSystemBuiltIn(MidiSystem system);

/// Why a system asked for by name cannot carry anything now, in a sentence
/// for standard error; empty when it can (or may once it starts: JACK).
std::string MidiSystemAbsence(MidiSystem system);

/// The output service of a system, its client there named `clientName` and
/// its port "out". Messages with a pen time go out at that time plus
/// `latency` (0: the system's own choice: for JACK one period and a small
/// margin; ALSA sends at once). Never throws: a system that is not there
/// gives a service with no devices, which fails every open and every send (a
/// JACK service still joins a server that starts later).
std::unique_ptr<MidiOutService> CreateMidiOutService(MidiSystem system, const std::string& clientName = "Quill",
                                                     std::chrono::microseconds latency = {});
