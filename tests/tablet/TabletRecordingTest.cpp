// SPDX-License-Identifier: MIT
#include "tablet/TabletRecording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "tablet/EvdevTabletCore.h"

namespace {

std::string DataFile(const std::string& name) { return std::string(QUILL_TABLET_DATA) + "/" + name; }

TabletRecording Read(const std::string& name) {
  std::string error;
  auto recording = ReadTabletRecording(DataFile(name), error);
  EXPECT_TRUE(recording) << name << ": " << error;
  return recording ? std::move(*recording) : TabletRecording{};
}

// The raw values of a frame the pen reported while near, beside the packet it gave.
struct RawFrame {
  int32_t x = 0, y = 0, pressure = 0, tiltX = -1, tiltY = -1;
};
struct PlayedPacket {
  TabletPacket packet;
  RawFrame raw;
  bool near = false;  ///< false for the lift given when the pen leaves
};

// Plays a recording through the evdev layer's core onto a screen of the given
// size, keeping for each packet the raw values as the device last reported them.
std::vector<PlayedPacket> Play(const TabletRecording& recording, int32_t width, int32_t height) {
  EvdevTabletCore tablet;
  EXPECT_TRUE(tablet.SetDevice(recording.device));
  std::vector<PlayedPacket> played;
  RawFrame raw;
  bool near = !NamesItsTools(recording.device);
  EXPECT_TRUE(tablet.OpenContext([&](const TabletPacket& packet) { played.push_back({packet, raw, near}); }));
  for (const input_event& event : recording.events) {
    if (event.type == EV_ABS && event.code == ABS_X) raw.x = event.value;
    if (event.type == EV_ABS && event.code == ABS_Y) raw.y = event.value;
    if (event.type == EV_ABS && event.code == ABS_PRESSURE) raw.pressure = event.value;
    if (event.type == EV_ABS && event.code == ABS_TILT_X) raw.tiltX = event.value;
    if (event.type == EV_ABS && event.code == ABS_TILT_Y) raw.tiltY = event.value;
    if (event.type == EV_KEY && event.code >= BTN_TOOL_PEN && event.code <= BTN_TOOL_LENS) near = event.value != 0;
    tablet.Feed(event, width, height);
  }
  tablet.DeviceLost(width, height);
  return played;
}

struct RecordingCase {
  const char* file;
  const char* deviceName;
  size_t events;
  int32_t pressureMaximum;
  bool tilt;
  bool namesTools;
};

const RecordingCase kPens[] = {
    {"wacom-intuos4-6x9-stylus-drag.evemu", "WACOM Intuos4 6x9", 1799, 2047, true, true},
    {"wacom-intuos4-6x9-stylus-move.evemu", "WACOM Intuos4 6x9", 2181, 2047, true, true},
    {"wacom-intuos4-6x9-stylus-tap.evemu", "WACOM Intuos4 6x9", 396, 2047, true, true},
    {"genius-easypen-i405x.evemu", "Genius EasyPen i405X", 2421, 1023, false, true},
    {"made-here-intuos4-eraser-drag.evemu", "WACOM Intuos4 6x9", 1799, 2047, true, true},
    {"made-here-toolless-pen-tap.evemu", "Toolless Pen", 386, 2047, true, false},
};

TEST(TabletRecording, RecordedPensAreTakenAndScaledAsTheirNodesWouldBe) {
  EXPECT_FALSE(EvdevTabletCore().SetDevice(Read("made-here-pointer-without-pressure.evemu").device));
  for (const RecordingCase& c : kPens) {
    const TabletRecording recording = Read(c.file);
    EvdevTabletCore tablet;
    ASSERT_TRUE(tablet.SetDevice(recording.device)) << c.file;
    EXPECT_EQ(tablet.DeviceName(), c.deviceName);
    EXPECT_EQ(tablet.Orientation().supported, c.tilt);
    EXPECT_EQ(NamesItsTools(recording.device), c.namesTools);
    EXPECT_EQ(recording.events.size(), c.events);
    const EvdevTabletAxes& axes = recording.device.axes;
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1280, 1024}}) {
      SCOPED_TRACE(std::string(c.file) + " on " + std::to_string(width) + "x" + std::to_string(height));
      const auto played = Play(recording, width, height);
      ASSERT_GT(played.size(), 50u);
      int32_t rawXLow = INT32_MAX, rawXHigh = INT32_MIN, xLow = INT32_MAX, xHigh = INT32_MIN;
      int32_t rawYLow = INT32_MAX, rawYHigh = INT32_MIN, yLow = INT32_MAX, yHigh = INT32_MIN;
      for (const PlayedPacket& p : played) {
        const TabletPacket& packet = p.packet;
        ASSERT_TRUE(packet.x >= 0 && packet.x < width && packet.y >= 0 && packet.y < height);
        ASSERT_TRUE(packet.azimuth >= 0 && packet.azimuth <= 3599 && packet.altitude >= 0 && packet.altitude <= 900);
        ASSERT_LE(packet.buttons, 7u);
        ASSERT_EQ(packet.cursor, std::string(c.file).find("eraser") != std::string::npos ? 2u : 1u);
        if (!p.near) continue;
        // The device's pressure range becomes 0..1023, rounded.
        EXPECT_NEAR(packet.normalPressure, p.raw.pressure * 1023.0 / c.pressureMaximum, 0.5);
        rawXLow = std::min(rawXLow, p.raw.x), rawXHigh = std::max(rawXHigh, p.raw.x);
        rawYLow = std::min(rawYLow, p.raw.y), rawYHigh = std::max(rawYHigh, p.raw.y);
        xLow = std::min(xLow, packet.x), xHigh = std::max(xHigh, packet.x);
        yLow = std::min(yLow, packet.y), yHigh = std::max(yHigh, packet.y);
      }
      // The pen covers the same share of the screen as of the surface.
      EXPECT_NEAR(double(xHigh - xLow) / (width - 1), double(rawXHigh - rawXLow) / axes.x.maximum, 1.0 / width);
      EXPECT_NEAR(double(yHigh - yLow) / (height - 1), double(rawYHigh - rawYLow) / axes.y.maximum, 1.0 / height);
      EXPECT_NEAR(xLow, rawXLow * (width - 1.0) / axes.x.maximum, 0.5);
      EXPECT_NEAR(yLow, rawYLow * (height - 1.0) / axes.y.maximum, 0.5);
    }
  }
}

TEST(TabletRecording, TheTiltingPenLeansTheWayItsAzimuthSays) {
  // These tilt axes run 0..127 in degrees, 63.5 upright; positive X leans the
  // pen's top right, positive Y towards the user. Azimuth 0 is the top leaning
  // towards the tablet's top, 900 leaning right.
  int leaning = 0;
  for (const char* file : {"wacom-intuos4-6x9-stylus-drag.evemu", "wacom-intuos4-6x9-stylus-move.evemu",
                           "wacom-intuos4-6x9-stylus-tap.evemu"}) {
    SCOPED_TRACE(file);
    for (const PlayedPacket& p : Play(Read(file), 1920, 1080)) {
      if (!p.near || p.raw.tiltX < 0 || p.raw.tiltY < 0) continue;
      const double right = p.raw.tiltX - 63.5, down = p.raw.tiltY - 63.5;
      if (std::hypot(right, down) < 3) continue;
      ++leaning;
      const double azimuth = p.packet.azimuth * std::numbers::pi / 1800.0;
      ASSERT_LT(p.packet.altitude, 900);
      if (std::abs(right) >= 3) {
        ASSERT_GT(std::sin(azimuth) * right, 0) << p.packet.azimuth;
      }
      if (std::abs(down) >= 3) {
        ASSERT_GT(-std::cos(azimuth) * down, 0) << p.packet.azimuth;
      }
    }
  }
  EXPECT_GT(leaning, 500);
}

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
