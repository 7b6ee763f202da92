// SPDX-License-Identifier: MIT
// Evdev devices: which are tablet pens, the packets their events give, and
// recordings of them that cannot be read, and the times they are played at.
// What the real recordings in data/ play is checked through quill-replay.
#include "tablet/EvdevFrameDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "tablet/EvdevDeviceInfo.h"
#include "tablet/TabletRecording.h"

namespace {

struct Event {
  uint16_t type;
  uint16_t code;
  int32_t value;
};

// A pen tablet as the kernel announces it: 44800 × 29600 units, 8192 pressure
// levels, tilt ±64 degrees at 57 units per radian.
EvdevTabletAxes TestAxes() {
  return {{true, 0, 44800, 200}, {true, 0, 29600, 200}, {true, 0, 8191, 0}, {true, -64, 63, 57}, {true, -64, 63, 57}};
}

// The packets the events give; the driver's time stamps are read by nothing.
std::vector<TabletPacket> FeedAll(EvdevFrameDecoder& decoder, const std::vector<Event>& events) {
  std::vector<TabletPacket> packets;
  for (const Event& e : events) {
    input_event event{};
    std::tie(event.type, event.code, event.value) = std::tie(e.type, e.code, e.value);
    if (auto packet = decoder.Feed(event)) packets.push_back(*packet);
  }
  return packets;
}

// An upright pen.
TabletPacket Packet(uint32_t cursor, uint32_t buttons, int32_t x, int32_t y, uint32_t pressure) {
  return {.cursor = cursor, .buttons = buttons, .x = x, .y = y, .normalPressure = pressure, .altitude = 900};
}

constexpr Event kSyn{EV_SYN, SYN_REPORT, 0};
constexpr Event kPenIn{EV_KEY, BTN_TOOL_PEN, 1};
constexpr Event kPenOut{EV_KEY, BTN_TOOL_PEN, 0};
const std::vector<Event> kHoverCentre{kPenIn, {EV_ABS, ABS_X, 22400}, {EV_ABS, ABS_Y, 14800}, kSyn};
const std::vector<Event> kTipDown{{EV_KEY, BTN_TOUCH, 1}, {EV_ABS, ABS_PRESSURE, 4096}, kSyn};

std::vector<Event> Join(std::initializer_list<std::vector<Event>> parts) {
  std::vector<Event> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct SequenceCase {
  std::string name;
  std::vector<Event> events;
  std::vector<TabletPacket> expected;
};

const std::vector<Event> kTiplessHover{{EV_ABS, ABS_X, 22400}, {EV_ABS, ABS_Y, 14800}, kSyn};

TEST(EvdevFrameDecoder, RecordedSequencesGiveOnePacketPerChangedFrame) {
  const std::vector<SequenceCase> cases = {
      {"hover in the centre", kHoverCentre, {Packet(1, 0, 960, 540, 0)}},
      {"barrel buttons while hovering and pressing",
       Join({kHoverCentre,
             {{EV_KEY, BTN_STYLUS, 1}, kSyn},
             kTipDown,
             {{EV_KEY, BTN_STYLUS2, 1}, kSyn},
             {{EV_KEY, BTN_STYLUS, 0}, {EV_KEY, BTN_STYLUS2, 0}, kSyn}}),
       {Packet(1, 0, 960, 540, 0), Packet(1, 2, 960, 540, 0), Packet(1, 3, 960, 540, 512), Packet(1, 7, 960, 540, 512),
        Packet(1, 1, 960, 540, 512)}},
      {"flip to the eraser, new tool announced first",
       Join({kHoverCentre, {{EV_KEY, BTN_TOOL_RUBBER, 1}, kPenOut, kSyn}}),
       {Packet(1, 0, 960, 540, 0), Packet(2, 0, 960, 540, 0)}},
      {"flip to the eraser through proximity out",
       Join({kHoverCentre, {kPenOut, kSyn}, {{EV_KEY, BTN_TOOL_RUBBER, 1}, {EV_ABS, ABS_X, 0}, kSyn}}),
       {Packet(1, 0, 960, 540, 0), Packet(2, 0, 0, 540, 0)}},
      {"puck", {{EV_KEY, BTN_TOOL_MOUSE, 1}, {EV_KEY, BTN_LEFT, 1}, kSyn}, {Packet(0, 1, 0, 0, 0)}},
      // (A pen that never names its tool: the golden script recording-toolless.)
      {"a pen that names its tool is away until it says it came", kTiplessHover, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EvdevFrameDecoder decoder(TestAxes());
    EXPECT_EQ(FeedAll(decoder, c.events), c.expected);
  }
}

// (That a pen which was down is lifted once, where it was, and one which was
// not gives nothing, and that packets stay in range, is checked at every step
// by the decoder's fuzz target; the axis ends by the scaling tests.)
TEST(EvdevFrameDecoder, ALiftAfterAScreenChangeAndAToollessPenAfterUnplug) {
  // The screen may change under a pressing pen: the lift is where the pen was
  // on the tablet, on the new screen.
  EvdevFrameDecoder moved(TestAxes());
  FeedAll(moved, Join({kHoverCentre, kTipDown}));
  moved.SetScreenSize(800, 600);
  EXPECT_EQ(FeedAll(moved, {kPenOut, kSyn}), std::vector<TabletPacket>{Packet(1, 0, 400, 300, 0)});

  // A pen that never names its tool is near again as soon as a new device reports.
  EvdevFrameDecoder toolless(TestAxes(), false);
  FeedAll(toolless, Join({kTiplessHover, kTipDown}));
  ASSERT_TRUE(toolless.DeviceLost());
  EXPECT_EQ(FeedAll(toolless, kTiplessHover), std::vector<TabletPacket>{Packet(1, 0, 960, 540, 0)});
}

TEST(EvdevFrameDecoder, TiltBecomesOrientationWithOrWithoutResolution) {
  const std::vector<Event> leaningRight = Join({kHoverCentre, {{EV_ABS, ABS_TILT_X, 30}, kSyn}});
  EvdevFrameDecoder decoder(TestAxes());
  const auto packets = FeedAll(decoder, leaningRight);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[1].azimuth, 900);
  EXPECT_EQ(packets[1].altitude, 598);  // 30 units at 57 per radian: 30.2 degrees from upright

  EvdevTabletAxes flat = TestAxes();
  flat.tiltX = flat.tiltY = {};
  EvdevFrameDecoder noTilt(flat);
  const auto plain = FeedAll(noTilt, leaningRight);
  ASSERT_EQ(plain.size(), 1u);  // the tilt event changes nothing reported
  EXPECT_EQ(plain[0].altitude, 0);

  // Without a resolution the range counts degrees around its middle: 63.5 is
  // upright, 33.5 leans 30 degrees towards the tablet's top.
  EvdevTabletAxes degrees = TestAxes();
  degrees.tiltX = degrees.tiltY = {true, 0, 127, 0};
  EvdevFrameDecoder byDegrees(degrees);
  // Until the pen first reports its tilt it stands upright, not leaning
  // towards the top left as raw zeros on such a range would say.
  const auto leaning =
      FeedAll(byDegrees, Join({kHoverCentre, {{EV_ABS, ABS_TILT_X, 63}, {EV_ABS, ABS_TILT_Y, 33}, kSyn}}));
  ASSERT_EQ(leaning.size(), 2u);
  EXPECT_EQ(leaning[0].altitude, 900);
  EXPECT_NEAR(leaning[1].azimuth, 3590, 10);
  EXPECT_NEAR(leaning[1].altitude, 595, 5);
}

EvdevDeviceInfo Device(bool pressure, std::initializer_list<unsigned int> keys) {
  EvdevDeviceInfo device;
  device.axes.x = {true, 0, 10000, 0};
  device.axes.y = {true, 0, 8000, 0};
  device.axes.pressure.present = pressure;
  for (unsigned int key : keys) device.keys.set(key);
  return device;
}

TEST(EvdevDeviceInfo, TabletPensAreTakenWhetherOrNotTheyNameTheirTools) {
  struct Case {
    const char* name;
    EvdevDeviceInfo device;
    bool pen;
    bool namesTools;
  };
  const Case cases[] = {
      {"pen with tools and switches", Device(true, {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS}), true, true},
      {"pen that never names its tool", Device(true, {BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2}), true, false},
      {"puck-only tools still name themselves", Device(true, {BTN_TOOL_MOUSE, BTN_STYLUS}), true, true},
      {"touchpad", Device(true, {BTN_TOUCH, BTN_TOOL_FINGER, BTN_LEFT}), false, false},
      {"single-touch screen with pressure", Device(true, {BTN_TOUCH}), false, false},
      {"pen without pressure", Device(false, {BTN_TOOL_PEN, BTN_TOUCH}), false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsTabletPen(c.device), c.pen);
    EXPECT_EQ(NamesItsTools(c.device), c.namesTools);
  }
}

TEST(EvdevDeviceInfo, WacomDevicesAreReportedWithTheMakerInCapitals) {
  EXPECT_EQ(ReportedDeviceName("Wacom Pen Tablet M Pen", kWacomVendorId), "WACOM Pen Tablet M Pen");
  EXPECT_EQ(ReportedDeviceName("Pen Tablet S", kWacomVendorId), "WACOM Pen Tablet S");
  EXPECT_EQ(ReportedDeviceName("Wacom Lookalike Pen", 0x1234), "Wacom Lookalike Pen");
}

TEST(TabletRecording, FilesThatAreNotRecordingsAreRefusedWithAReason) {
  std::ifstream tapFile(QUILL_TABLET_DATA "/wacom-intuos4-6x9-stylus-tap.evemu");
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
