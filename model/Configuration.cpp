// SPDX-License-Identifier: MIT
#include "model/Configuration.h"

Configuration DefaultConfiguration() {
  Configuration c;
  c.scale = 137;  // Japanese A
  c.chord = 0;    // major
  c.midiOutPort = 0;
  c.midiChannel = 0;
  c.midiPatch = 107;  // "108 Koto"
  c.key = 6;          // F#
  c.minNote = 60;
  c.maxNote = 84;
  c.noteDirection = 0;
  c.cc.fill(kNoController);
  c.min.fill(0);
  c.max.fill(127);
  c.map.fill(Linear);
  c.playNotes = 1;
  c.initialPressure = 1;
  c.initialPosition = 1;
  c.picture.clear();
  c.colorModel = 0;
  c.glide = kGlideOff;
  c.bendRange = kDefaultBendRange;
  c.mpe = 0;
  return c;
}

const std::array<Rgb, kSlotCount> tabColors = {{
    {50, 50, 100},
    {100, 100, 120},
    {180, 180, 10},
    {50, 100, 50},
    {100, 100, 50},
    {180, 0, 0},
    {50, 100, 100},
    {100, 50, 0},
    {100, 0, 50},
    {50, 0, 100},
    {180, 180, 100},
    {80, 180, 180},
}};
