// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "midi/MidiSystemClient.h"

/// True when this build carries JACK support (the QUILL_WITH_JACK option).
bool JackBuiltIn();

/// A client named `clientName` on the JACK server (a JACK server is never
/// started by Quill); null in a build without JACK.
std::unique_ptr<MidiSystemClient> CreateJackClient(const std::string& clientName);
