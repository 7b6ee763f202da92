// SPDX-License-Identifier: MIT
#include "tools/replay/RecordingPlayback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/replay/RandomPerformance.h"

namespace {

struct Played {
  bool taken = false;
  std::vector<std::string> lines;
};

// Plays a recording of tests/tablet/data into a runner started as the window
// is, with the script lines given first, and returns what it printed.
Played Play(const std::string& file, TabletMakers makers, const std::vector<std::string>& script = {}) {
  std::string error;
  const auto recording = ReadTabletRecording(std::string(QUILL_TABLET_DATA) + "/" + file, error);
  EXPECT_TRUE(recording) << error;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{std::tmpfile(), &std::fclose};
  Played played;
  {
    ReplayOutput out(file_.get());
    ReplayRunner runner(std::make_unique<PrintingDevices>(1, out), out, false);
    for (const std::string& line : script) EXPECT_TRUE(runner.RunLine(line, error)) << error;
    if (recording) played.taken = PlayTabletRecording(*recording, runner, out, {makers, true});
  }
  std::rewind(file_.get());
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, file_.get())) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    played.lines.push_back(line);
  }
  return played;
}

TEST(RecordingPlayback, EveryRecordedGestureStopsTheNotesItStarted) {
  struct Case {
    const char* file;
    int notes;       // note-ons the gesture plays
    int mostAtOnce;  // notes sounding together at most (a chord: more than one)
  };
  const Case cases[] = {{"wacom-intuos4-6x9-stylus-drag.evemu", 8, 1},  {"wacom-intuos4-6x9-stylus-move.evemu", 0, 0},
                        {"wacom-intuos4-6x9-stylus-tap.evemu", 1, 1},   {"genius-easypen-i405x.evemu", 0, 0},
                        {"made-here-intuos4-eraser-drag.evemu", 24, 3}, {"made-here-toolless-pen-tap.evemu", 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Played played = Play(c.file, TabletMakers::Any);
    ASSERT_TRUE(played.taken);
    NoteLedger ledger;
    int atOnce = 0, packets = 0;
    for (const std::string& line : played.lines) {
      unsigned status = 0, data1 = 0, data2 = 0;
      if (line.starts_with(">")) ++packets;
      if (line.size() != 8 || std::sscanf(line.c_str(), "%x %x %x", &status, &data1, &data2) != 3) continue;
      ledger.Hear(0, {uint8_t(status), uint8_t(data1), uint8_t(data2)});
      atOnce = std::max(atOnce, ledger.Sounding());
    }
    EXPECT_GT(packets, 20);
    EXPECT_EQ(ledger.NoteOns(), c.notes);
    EXPECT_EQ(atOnce, c.mostAtOnce);
    EXPECT_EQ(ledger.Sounding(), 0) << "a note still sounds";
    EXPECT_EQ(ledger.StrayNoteOffs(), 0) << "a note-off without its note-on";
  }
}

}  // namespace
