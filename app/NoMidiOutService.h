// SPDX-License-Identifier: MIT
#pragma once

#include "midi/MidiOutService.h"

/// A MIDI output service without devices: every open and send fails.
class NoMidiOutService : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 0; }
  std::string GetDeviceName(unsigned) override { return {}; }
  bool Open(unsigned) override { return false; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t) override { return false; }
};
