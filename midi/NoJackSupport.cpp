// SPDX-License-Identifier: MIT
// A build without JACK: nothing of it is compiled or linked.
#include "midi/JackSupport.h"

bool JackBuiltIn() { return false; }

std::unique_ptr<MidiSystemClient> CreateJackClient(const std::string&) { return nullptr; }
