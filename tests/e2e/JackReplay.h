// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "JackServer.h"
#include "midi/MidiSystem.h"
#include "tools/replay/ReplayRunner.h"

/// Starts a replay runner on the current JACK server's ports, lets `play` drive
/// it and returns everything the runner printed (messages the port accepted,
/// message boxes).
inline std::string ReplayOnJack(const std::function<void(ReplayRunner&)>& play) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  {
    ReplayOutput out(stream);
    auto service = CreateMidiOutService(MidiSystem::Jack, JackServer::UniqueClientName("Quill"));
    ReplayRunner runner(std::make_unique<PrintingRealPort>(std::move(service), out), out, false);
    play(runner);
  }
  std::fclose(stream);
  std::string printed(text, size);
  std::free(text);
  return printed;
}
