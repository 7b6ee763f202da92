// SPDX-License-Identifier: MIT
#include "midi/MidiSystem.h"

#include <exception>

#include "midi/JackSupport.h"
#include "midi/OwnPortService.h"
#include "midi/alsa/AlsaClient.h"

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

bool MidiSystemBuiltIn(MidiSystem system) { return system != MidiSystem::Jack || JackBuiltIn(); }

std::string MidiSystemAbsence(MidiSystem system) {
  if (system != MidiSystem::Alsa || AlsaClient::SequencerPresent()) return {};
  return "there is no ALSA sequencer (/dev/snd/seq is missing; 'sudo modprobe snd-seq' loads it): "
         "nothing can be sent";
}

std::unique_ptr<MidiOutService> CreateMidiOutService(MidiSystem system, const std::string& clientName,
                                                     std::chrono::microseconds latency) {
  if (system == MidiSystem::Automatic) {
    // JACK is asked for only where there is no sequencer: with one, a JACK
    // setup reaches ALSA's ports through its bridge anyway.
    system = AlsaClient::SequencerPresent() || !JackBuiltIn() ? MidiSystem::Alsa : MidiSystem::Jack;
  }
  MidiOutTiming timing;
  timing.latency = latency;
  try {
    if (system == MidiSystem::Alsa && AlsaClient::SequencerPresent()) {
      return std::make_unique<OwnPortService>([clientName] { return std::make_unique<AlsaClient>(clientName); },
                                              MidiWaitLimits{}, timing);
    }
    if (system == MidiSystem::Jack && JackBuiltIn()) {
      return std::make_unique<OwnPortService>([clientName] { return CreateJackClient(clientName); }, MidiWaitLimits{},
                                              timing);
    }
  } catch (const std::exception&) {
    // Out of memory or threads: carry on without MIDI rather than fail.
  }
  return std::make_unique<NoMidiOutService>();
}
