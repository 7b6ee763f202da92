// SPDX-License-Identifier: MIT
#pragma once

#include <alsa/asoundlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "midi/MidiSystemClient.h"

// How Quill's destinations and messages map onto the ALSA sequencer's terms;
// none of it needs the sequencer device.

/// The destination that sequencer port `client`:`port` is. Shown as
/// "CLIENT NAME:PORT NAME client:port"; remembered without the numbers that
/// change between runs (the client and port numbers, and numbers in brackets
/// such as the process id some synthesisers put into their names).
MidiDestination AlsaDestination(std::string_view clientName, std::string_view portName, int client, int port);

/// "client:port" as AlsaDestination writes it; nothing for anything else.
std::optional<std::pair<int, int>> ParseAlsaAddress(std::string_view address);

/// `name` without bracketed groups of digits and colons ("(4021)", "(4021:0)").
std::string WithoutRunNumbers(std::string_view name);

/// Turns one complete message into a sequencer event (source and destination
/// still to be set); false when the bytes are not exactly one message.
bool EncodeSequencerEvent(snd_midi_event_t* encoder, const uint8_t* bytes, size_t length, snd_seq_event_t& event);

/// The time on a sequencer queue, in nanoseconds since the queue started at
/// `epoch` (CLOCK_MONOTONIC), for an event due at `due` (0: at once) and
/// handed over at `now`: never in the past, and never before the event
/// scheduled before it (`last`, which it moves on), so the queue keeps the
/// order the events were sent in.
int64_t QueueTime(int64_t due, int64_t now, int64_t epoch, int64_t& last);

/// Nanoseconds as the sequencer's real time.
snd_seq_real_time_t ToRealTime(int64_t nanoseconds);
