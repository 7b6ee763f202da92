// SPDX-License-Identifier: MIT
#include "midi/MidiSystem.h"

#include <exception>

#include "midi/RtMidiOutService.h"

namespace {
/// The output of a machine without a MIDI system: no devices, nothing opens
/// and nothing is sent.
class NoMidiOutService : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 0; }
  std::string GetDeviceName(unsigned) override { return {}; }
  bool Open(unsigned) override { return false; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t) override { return false; }
};
}  // namespace

std::optional<MidiSystem> ParseMidiSystem(std::string_view name) {
  if (name == "alsa") return MidiSystem::Alsa;
  if (name == "jack") return MidiSystem::Jack;
  return std::nullopt;
}

std::unique_ptr<MidiOutService> CreateMidiOutService(MidiSystem system) {
  try {
    switch (system) {
      case MidiSystem::Alsa:
        return std::make_unique<RtMidiOutService>(RtMidiOutService::Api::Alsa);
      case MidiSystem::Jack:
        return std::make_unique<RtMidiOutService>(RtMidiOutService::Api::Jack);
      case MidiSystem::Automatic:
        // RtMidi does not fall back from a missing ALSA sequencer to JACK by
        // itself, so each system is asked in turn.
        for (auto api : {RtMidiOutService::Api::Alsa, RtMidiOutService::Api::Jack}) {
          auto service = std::make_unique<RtMidiOutService>(api);
          if (service->IsAvailable()) return service;
        }
        break;
    }
  } catch (const std::exception&) {
    // Out of memory or threads: carry on without MIDI rather than fail.
  }
  return std::make_unique<NoMidiOutService>();
}
