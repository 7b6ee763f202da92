// SPDX-License-Identifier: MIT
// Recordings that cannot be read, and the times they are played at. What the
// real recordings in data/ play is checked through quill-replay (tests/replay).
#include "tablet/TabletRecording.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string DataFile(const std::string& name) { return std::string(QUILL_TABLET_DATA) + "/" + name; }

TEST(TabletRecording, FilesThatAreNotRecordingsAreRefusedWithAReason) {
  std::ifstream tapFile(DataFile("wacom-intuos4-6x9-stylus-tap.evemu"));
  const std::string tap((std::istreambuf_iterator<char>(tapFile)), std::istreambuf_iterator<char>());
  const std::string description = tap.substr(0, tap.find("\nE: ") + 1);
  const auto path = std::filesystem::temp_directory_path() / "quill-recording-test.evemu";
  for (const std::string& contents : {std::string(), std::string("Dear diary,\nno tablet today.\n"),
                                      description + "E: 1.000000 0003 0000 12\nE: twelve\n"}) {
    std::ofstream(path) << contents;
    std::string error;
    EXPECT_FALSE(ReadTabletRecording(path.string(), error)) << contents;
    EXPECT_FALSE(error.empty());
  }
  std::filesystem::remove(path);
  std::string error;
  EXPECT_FALSE(ReadTabletRecording(path.string(), error));
  EXPECT_EQ(error, "No such file or directory");
}

TEST(TabletRecording, RealTimeKeepsTheGapsButNotLongPausesOrTimeRunningBackwards) {
  auto at = [](long seconds, long micro) {
    input_event event{};
    event.input_event_sec = seconds;
    event.input_event_usec = micro;
    return event;
  };
  const std::vector<input_event> events = {at(100, 0), at(100, 4000), at(100, 4000), at(99, 0),           at(99, 8000),
                                           at(500, 0), at(500, 10),   at(-5, 0),     at(LONG_MAX, 999999)};
  const std::vector<int64_t> expected = {0, 4000, 4000, 4000, 12000, 3012000, 3012010, 3012010, 6012010};
  EXPECT_EQ(RealTimeOffsets(events), expected);
  EXPECT_TRUE(RealTimeOffsets({}).empty());
}

}  // namespace
