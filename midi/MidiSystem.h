// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "midi/MidiOutService.h"

/// The system that carries Quill's MIDI output.
enum class MidiSystem {
  Automatic,  ///< the ALSA sequencer when present, else a running JACK server, else no devices
  Alsa,       ///< the ALSA sequencer only
  Jack,       ///< a JACK server only
};

/// "alsa" or "jack" as given on the command line; nothing for any other name.
std::optional<MidiSystem> ParseMidiSystem(std::string_view name);

/// The output service of a system. Never throws: a system that is not there
/// gives a service with no devices, which fails every open and every send.
std::unique_ptr<MidiOutService> CreateMidiOutService(MidiSystem system);
