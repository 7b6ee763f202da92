// SPDX-License-Identifier: MIT
// The tablet layers: the Qt and mouse layers in a window, a recording played
// as a device, which layer each choice gives, how evdev tablets are found,
// and the models' names they are shown by.
#include "tablet/layers/TabletLayers.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWheelEvent>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tablet/EventTime.h"
#include "tablet/TabletContext.h"
#include "tablet/TabletScaling.h"
#include "tablet/layers/EvdevTabletFinder.h"
#include "tablet/layers/EvdevTabletService.h"
#include "tablet/layers/LibwacomModelDatabase.h"
#include "tablet/layers/MouseTabletService.h"
#include "tablet/layers/QtTabletService.h"
#include "tablet/layers/RecordingTabletService.h"
#include "tablet/layers/ScreenSize.h"

namespace {

/// The one QApplication the tablet layer tests share, on the offscreen
/// platform unless another one is asked for.
QApplication& TestApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tablet_layers_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

/// A base that makes the application before any widget member exists.
struct WithTestApplication {
  WithTestApplication() { TestApplication(); }
};

/// The tablet area; it records the mouse presses that get through to it.
class RecordingArea : public QWidget {
 public:
  using QWidget::QWidget;
  std::vector<Qt::MouseButton> pressed;

 protected:
  void mousePressEvent(QMouseEvent* event) override { pressed.push_back(event->button()); }
};

/// A window with a 546 × 497 tablet area, a layer, and the packets it delivers
/// (their times apart: each happened after the context opened, and none later
/// than its delivery; the millisecond stamps of window system events may put
/// one up to a millisecond early; a lift with no pen event behind it has none).
template <typename Service>
class LayerTest : public WithTestApplication, public testing::Test {
 protected:
  template <typename... Arguments>
  explicit LayerTest(Arguments&&... arguments) : service(std::forward<Arguments>(arguments)...) {
    window.resize(700, 600);
    area = new RecordingArea(&window);
    area->setGeometry(10, 10, 546, 497);
    screen = TabletScreenSize(&window);
  }

  void Open() {
    service.SetWindow(&window, area);
    const int64_t opened = MonotonicNow() - 1'000'000;
    ASSERT_TRUE(OpenTabletContext(service, [this, opened](TabletPacket p) {
      if (p.eventTime != 0 || p.normalPressure != 0) {
        EXPECT_GE(p.eventTime, opened);
        EXPECT_LE(p.eventTime, MonotonicNow());
      }
      times.push_back(std::exchange(p.eventTime, 0));
      packets.push_back(p);
    }));
  }

  /// The packet for a position in the area, scaled to the screen.
  TabletPacket Expected(uint32_t cursor, uint32_t buttons, QPointF pos, uint32_t pressure, int32_t azimuth = 0,
                        int32_t altitude = 0) const {
    return {.cursor = cursor,
            .buttons = buttons,
            .x = MapAreaToScreen(pos.x(), 546, screen.width()),
            .y = MapAreaToScreen(pos.y(), 497, screen.height()),
            .normalPressure = pressure,
            .azimuth = azimuth,
            .altitude = altitude};
  }

  QWidget window;
  RecordingArea* area = nullptr;
  QSize screen;
  Service service;
  std::vector<TabletPacket> packets;
  std::vector<int64_t> times;  ///< each packet's eventTime
};

std::unique_ptr<QPointingDevice> MakePen(QPointingDevice::PointerType type, bool tilt) {
  QInputDevice::Capabilities caps = QInputDevice::Capability::Position | QInputDevice::Capability::Pressure;
  if (tilt) caps |= QInputDevice::Capability::XTilt | QInputDevice::Capability::YTilt;
  return std::make_unique<QPointingDevice>("Test Pen", 4711, QInputDevice::DeviceType::Stylus, type, caps, 1, 3);
}

class QtTabletServiceTest : public LayerTest<QtTabletService> {
 protected:
  void Send(QEvent::Type type, const QPointingDevice* device, QPointF pos, double pressure, float xTilt, float yTilt,
            Qt::MouseButton button, Qt::MouseButtons buttons) {
    QTabletEvent event(type, device, pos, area->mapToGlobal(pos), pressure, xTilt, yTilt, 0, 0, 0, Qt::NoModifier,
                       button, buttons);
    QCoreApplication::sendEvent(area, &event);
  }
};

TEST_F(QtTabletServiceTest, TabletEventsOverTheAreaBecomePacketsInScreenRange) {
  Open();
  auto pen = MakePen(QPointingDevice::PointerType::Pen, true);
  auto eraser = MakePen(QPointingDevice::PointerType::Eraser, true);
  auto puck = MakePen(QPointingDevice::PointerType::Cursor, false);
  auto plain = MakePen(QPointingDevice::PointerType::Pen, false);

  Send(QEvent::TabletMove, pen.get(), {100, 50}, 0, 30, 0, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletPress, pen.get(), {100, 50}, 0.5, 0, -30, Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::TabletMove, pen.get(), {545, 496}, 1.0, 0, 0, Qt::NoButton, Qt::LeftButton | Qt::MiddleButton);
  Send(QEvent::TabletMove, pen.get(), {-30, 900}, 0.25, 0, 0, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
  Send(QEvent::TabletRelease, pen.get(), {0, 0}, 0, 0, 0, Qt::LeftButton, Qt::NoButton);
  Send(QEvent::TabletMove, eraser.get(), {200, 200}, 0, 0, 30, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletMove, puck.get(), {200, 200}, 0, 40, 40, Qt::NoButton, Qt::NoButton);
  Send(QEvent::TabletMove, plain.get(), {200, 200}, 0.1, 40, 40, Qt::NoButton, Qt::NoButton);

  const std::vector<TabletPacket> expected = {
      Expected(1, 0, {100, 50}, 0, 900, 600),   Expected(1, 1, {100, 50}, 512, 0, 600),
      Expected(1, 3, {545, 496}, 1023, 0, 900), Expected(1, 5, {0, 496}, 256, 0, 900),
      Expected(1, 0, {0, 0}, 0, 0, 900),        Expected(2, 0, {200, 200}, 0, 1800, 600),
      Expected(0, 0, {200, 200}, 0, 0, 0),  // no tilt reported: no orientation
      Expected(1, 0, {200, 200}, 102, 0, 0)};
  for (auto& p : packets) p.time = 0;
  EXPECT_EQ(packets, expected);
  service.SetWindow(&window, nullptr);
  EXPECT_FALSE(service.OpenContext([](const TabletPacket&) {}));  // no area: no context
}

// Events enter as the platform delivers them and reach the area through the
// shown window; the rest of the window is not the pen's.
TEST_F(QtTabletServiceTest, ThroughTheWindowSystemOnlyTheAreaPlaysAndLeavingLifts) {
  // A plain widget as the other control: text would load fonts, whose library
  // leaks under the address sanitizer.
  auto* other = new QWidget(&window);
  other->setGeometry(580, 10, 100, 30);
  window.show();
  QWindow* handle = window.windowHandle();
  ASSERT_NE(handle, nullptr);
  auto pen = MakePen(QPointingDevice::PointerType::Pen, true);
  QWindowSystemInterface::registerInputDevice(pen.get());
  Open();

  auto send = [&](QPointF local, Qt::MouseButtons buttons, qreal pressure) {
    QWindowSystemInterface::handleTabletEvent(handle, pen.get(), local, handle->mapToGlobal(local.toPoint()), buttons,
                                              pressure, 0, 0, 0, 0, 0);
    QCoreApplication::processEvents();
  };
  send({110, 60}, Qt::NoButton, 0);       // hover over the area
  send({110, 60}, Qt::LeftButton, 0.5);   // tip down
  send({120, 60}, Qt::NoButton, 0);       // tip up
  send({620, 20}, Qt::NoButton, 0);       // over the other control: nothing
  send({130, 60}, Qt::LeftButton, 0.25);  // down again over the area
  QWindowSystemInterface::handleTabletEnterLeaveProximityEvent(handle, pen.get(), false);
  QCoreApplication::processEvents();

  for (auto& p : packets) p.time = 0;
  EXPECT_EQ(packets,
            (std::vector<TabletPacket>{Expected(1, 0, {100, 50}, 0, 0, 900), Expected(1, 1, {100, 50}, 512, 0, 900),
                                       Expected(1, 0, {110, 50}, 0, 0, 900), Expected(1, 1, {120, 50}, 256, 0, 900),
                                       Expected(1, 0, {120, 50}, 0, 0, 900)}));  // lifted where it was
  service.Close();
}

class MouseTabletServiceTest : public LayerTest<MouseTabletService> {
 protected:
  MouseTabletServiceTest() { Open(); }

  void Mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, pos, area->mapToGlobal(pos), button, buttons, modifiers);
    QCoreApplication::sendEvent(area, &event);
  }

  void Wheel(int delta, Qt::MouseButtons buttons) {
    QWheelEvent event({50, 50}, area->mapToGlobal(QPointF(50, 50)), {}, {0, delta}, buttons, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(area, &event);
  }
};

TEST_F(MouseTabletServiceTest, TheMousePlaysThePen) {
  Mouse(QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::NoButton);               // hover
  Mouse(QEvent::MouseButtonPress, {100, 50}, Qt::RightButton, Qt::RightButton);  // tip down
  Wheel(240, Qt::RightButton);                                                   // press harder
  Mouse(QEvent::MouseMove, {600, -20}, Qt::NoButton, Qt::RightButton);           // drag out of the area
  Mouse(QEvent::MouseButtonPress, {545, 0}, Qt::MiddleButton, Qt::RightButton | Qt::MiddleButton);  // barrel
  Mouse(QEvent::MouseButtonRelease, {545, 0}, Qt::RightButton, Qt::MiddleButton);                   // lift
  Mouse(QEvent::MouseButtonRelease, {545, 0}, Qt::MiddleButton, Qt::NoButton);
  Mouse(QEvent::MouseMove, {200, 300}, Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);  // eraser
  Mouse(QEvent::MouseButtonPress, {200, 300}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
  OnTabletActivate(service, false);                                    // lifts
  Mouse(QEvent::MouseMove, {120, 50}, Qt::NoButton, Qt::RightButton);  // nothing
  OnTabletActivate(service, true);
  Mouse(QEvent::MouseMove, {130, 50}, Qt::NoButton, Qt::RightButton);
  service.Close();
  Mouse(QEvent::MouseMove, {140, 50}, Qt::NoButton, Qt::RightButton);  // nothing

  const std::vector<TabletPacket> expected = {
      Expected(1, 0, {100, 50}, 0),  Expected(1, 1, {100, 50}, 512), Expected(1, 1, {100, 50}, 640),
      Expected(1, 1, {545, 0}, 640), Expected(1, 3, {545, 0}, 640),  Expected(1, 2, {545, 0}, 0),
      Expected(1, 0, {545, 0}, 0),   Expected(2, 0, {200, 300}, 0),  Expected(2, 1, {200, 300}, 640),
      Expected(2, 0, {200, 300}, 0), Expected(1, 1, {130, 50}, 640)};
  EXPECT_EQ(packets, expected);
}

TEST_F(MouseTabletServiceTest, LeftButtonReachesTheWindowAndLeavesThePenHovering) {
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
  Mouse(QEvent::MouseButtonPress, {10, 10}, Qt::MiddleButton, Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
  EXPECT_EQ(area->pressed, std::vector<Qt::MouseButton>{Qt::LeftButton});
  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(packets.front(), Expected(1, 0, {10, 10}, 0));
}

TEST_F(MouseTabletServiceTest, ShiftKeyTurnsThePenWhereItIs) {
  Mouse(QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::NoButton);
  QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
  QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &shiftDown);
  QCoreApplication::sendEvent(&window, &shiftDown);  // auto-repeat changes nothing
  QCoreApplication::sendEvent(&window, &shiftUp);
  EXPECT_EQ(packets, (std::vector<TabletPacket>{Expected(1, 0, {100, 50}, 0), Expected(2, 0, {100, 50}, 0),
                                                Expected(1, 0, {100, 50}, 0)}));
}

TEST_F(MouseTabletServiceTest, WheelPressureStaysWithinTheLevels) {
  for (int i = 0; i < 20; ++i) Wheel(120, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1023u);
  for (int i = 0; i < 40; ++i) Wheel(-120, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1u);
  // Small steps of a fine wheel add up to whole notches.
  for (int i = 0; i < 8; ++i) Wheel(15, Qt::NoButton);
  EXPECT_EQ(service.PressureLevel(), 1u + MouseTabletService::kPressureStep);
  EXPECT_TRUE(packets.empty());  // the pen has not been over the area yet
}

std::string DataFile(const std::string& name) { return std::string(QUILL_TABLET_DATA) + "/" + name; }

TabletRecording Read(const std::string& name) {
  std::string error;
  auto recording = ReadTabletRecording(DataFile(name), error);
  EXPECT_TRUE(recording) << error;
  return recording ? *recording : TabletRecording{};
}

// The packets one pass of the recording gives on a screen of the given size,
// and when each is due from the start of the pass.
std::vector<TabletPacket> OnePass(const TabletRecording& recording, QSize screen, std::vector<int64_t>& due) {
  EvdevTabletCore core;
  core.SetDevice(recording.device);
  std::vector<TabletPacket> packets;
  core.OpenContext([&](TabletPacket packet) {
    due.push_back(std::exchange(packet.eventTime, 0));
    packets.push_back(packet);
  });
  const std::vector<int64_t> offsets = RealTimeOffsets(recording.events);
  for (size_t i = 0; i < offsets.size(); ++i) {
    core.Feed(recording.events[i], screen.width(), screen.height(), offsets[i] * 1000);
  }
  core.DeviceLost(screen.width(), screen.height());
  return packets;
}

class RecordingTabletServiceTest : public LayerTest<RecordingTabletService> {
 protected:
  RecordingTabletServiceTest() : LayerTest(Read(kFile)) {}
  static constexpr const char* kFile = "made-here-toolless-pen-tap.evemu";
};

TEST_F(RecordingTabletServiceTest, TheRecordingPlaysOverAndOverAsTheDeviceWould) {
  EXPECT_EQ(service.DeviceName(), "Toolless Pen");
  EXPECT_TRUE(service.Orientation().supported);
  Open();
  std::vector<int64_t> due;
  const std::vector<TabletPacket> pass = OnePass(Read(kFile), screen, due);
  ASSERT_GT(pass.size(), 20u);

  // Real time: wait as long as a slow machine may need, not as long as it should take.
  const QDeadlineTimer deadline(60'000);
  while (packets.size() < 2 * pass.size() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  ASSERT_GE(packets.size(), 2 * pass.size());
  EXPECT_EQ(std::vector<TabletPacket>(packets.begin(), packets.begin() + pass.size()), pass);
  EXPECT_EQ(std::vector<TabletPacket>(packets.begin() + pass.size(), packets.begin() + 2 * pass.size()), pass);
  // Each packet carries when its event was due in its pass, whenever the
  // timer fired: the recording's own rhythm, to the nanosecond. (The lift
  // that ends a pass has no pen event behind it.)
  for (size_t start : {size_t{0}, pass.size()}) {
    for (size_t i = 0; i + 1 < pass.size(); ++i) {
      EXPECT_EQ(times[start + i] - times[start], due[i] - due[0]) << "packet " << i << " of the pass at " << start;
    }
  }
  service.Close();
}

TEST(TabletLayers, EachChoiceGivesItsLayerAndARecordingThatCannotBePlayedOneWithoutServices) {
  TestApplication();
  EXPECT_NE(dynamic_cast<MouseTabletService*>(CreateTabletService(TabletLayer::Mouse).get()), nullptr);
  EXPECT_NE(dynamic_cast<QtTabletService*>(CreateTabletService(TabletLayer::Qt).get()), nullptr);
  EXPECT_TRUE(CreateTabletService(TabletLayer::Recording, DataFile("genius-easypen-i405x.evemu"))->ServicesPresent());
  for (const char* file : {"made-here-pointer-without-pressure.evemu", "no-such-recording.evemu", "README.md"}) {
    SCOPED_TRACE(file);
    auto tablet = CreateTabletService(TabletLayer::Recording, DataFile(file));
    EXPECT_FALSE(tablet->ServicesPresent());
    EXPECT_FALSE(tablet->OpenContext([](const TabletPacket&) {}));
  }
  if (!EvdevTabletFinder::Find().empty()) GTEST_SKIP() << "this machine has a tablet node";
  // Without tablet nodes the automatic choice is Qt, and a forced evdev layer has no services.
  EXPECT_NE(dynamic_cast<QtTabletService*>(CreateTabletService(TabletLayer::Default).get()), nullptr);
  // No tablet here at all: auto falls back to the mouse.
  EXPECT_NE(dynamic_cast<MouseTabletService*>(CreateTabletService(TabletLayer::Auto).get()), nullptr);
  auto evdev = CreateTabletService(TabletLayer::Evdev);
  EXPECT_FALSE(evdev->ServicesPresent());
  EXPECT_FALSE(evdev->OpenContext([](const TabletPacket&) {}));
}

/// A tablet database that knows the models a test gives it, by kernel name,
/// and notes how it was asked.
class PretendedModels : public TabletModelDatabase {
 public:
  explicit PretendedModels(std::map<std::string, std::string> models) : models_(std::move(models)) {}
  std::optional<std::string> ModelAtNode(const std::string& path) const override {
    asked.push_back("node " + path);
    return std::nullopt;
  }
  std::optional<std::string> ModelNamed(const std::string& kernelName) const override {
    asked.push_back("name " + kernelName);
    const auto known = models_.find(kernelName);
    return known == models_.end() ? std::nullopt : std::optional(known->second);
  }
  mutable std::vector<std::string> asked;

 private:
  std::map<std::string, std::string> models_;
};

/// Keeps the start-up check's message.
struct LastMessage : MessageSink {
  void ShowMessage(std::string_view text, MessageIcon) override { shown = text; }
  bool AskYesNo(std::string_view) override { return false; }
  std::string shown;
};

TEST(TabletModels, TheModelIsShownButTheKernelsNameDecidesWhetherTheTabletPlays) {
  TestApplication();
  const auto models = std::make_shared<PretendedModels>(
      std::map<std::string, std::string>{{"Genius EasyPen i405X", "WACOM Lookalike"}, {"Toolless Pen", "Pen Model"}});
  const struct {
    const char* file;
    const char* shown;
    const char* startUp;  ///< the check's message; empty when the tablet plays
  } cases[] = {{"genius-easypen-i405x.evemu", "WACOM Lookalike", "Wacom tablet not installed!"},
               {"wacom-intuos4-6x9-stylus-tap.evemu", "WACOM Intuos4 6x9", ""},
               {"made-here-pointer-without-pressure.evemu", "", "WinTab services not available!"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const RecordingTabletService tablet(Read(c.file), models);
    EXPECT_EQ(tablet.ModelName(), c.shown);
    LastMessage messages;
    EXPECT_EQ(CheckTabletPresence(tablet, messages), std::string(c.startUp).empty());
    EXPECT_EQ(messages.shown, c.startUp);
  }
  // By the recorded name, never by a node; a device that is no tablet pen is not looked up.
  EXPECT_EQ(models->asked, (std::vector<std::string>{"name Genius EasyPen i405X", "name Wacom Intuos4 6x9"}));
}

TEST(TabletModels, LibwacomNamesTheModelsItKnowsByNameOrNode) {
  TestApplication();
  const LibwacomModelDatabase libwacom;
  const std::pair<std::string, std::optional<std::string>> names[] = {
      {"Wacom Intuos4 6x9", "Wacom Intuos4 6x9"},
      {"Wacom Intuos4 6x9 Pen", "Wacom Intuos4 6x9"},  // the pen's node of a tablet with several
      {"Wacom Intuos4 6x9 Pad", std::nullopt},
      {"Genius EasyPen i405X", std::nullopt},
      {" Pen", std::nullopt},
      {"", std::nullopt}};
  for (const auto& [name, model] : names) EXPECT_EQ(libwacom.ModelNamed(name), model) << name;
  EXPECT_EQ(libwacom.ModelAtNode("/dev/input/no-such-event-node"), std::nullopt);
  EXPECT_EQ(libwacom.ModelAtNode(""), std::nullopt);

  // The program's recording layer asks it; the device name stays the kernel's.
  const auto intuos = CreateTabletService(TabletLayer::Recording, DataFile("wacom-intuos4-6x9-stylus-tap.evemu"));
  EXPECT_EQ(intuos->ModelName(), "Wacom Intuos4 6x9");
  EXPECT_EQ(intuos->DeviceName(), "WACOM Intuos4 6x9");
  const auto genius = CreateTabletService(TabletLayer::Recording, DataFile("genius-easypen-i405x.evemu"));
  EXPECT_EQ(genius->ModelName(), "Genius EasyPen i405X");
}

TEST(EvdevTabletFinder, UdevMarksOnlyTabletsThatAreNotPadsAndOtherFilesAreSkipped) {
  EXPECT_TRUE(EvdevTabletFinder::UdevDataMarksTablet("I:123\nE:ID_INPUT=1\nE:ID_INPUT_TABLET=1\nG:seat\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet("E:ID_INPUT_TABLET=1\nE:ID_INPUT_TABLET_PAD=1\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet("E:ID_INPUT_MOUSE=1\nE:ID_INPUT_TABLET=10\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet(""));
  const auto dir = std::filesystem::temp_directory_path() / "quill-tablet-finder-test";
  std::filesystem::create_directories(dir);
  for (const char* name : {"event0", "event12", "mouse0"}) std::ofstream(dir / name) << "not a device";
  EXPECT_TRUE(EvdevTabletFinder::Find(dir.string()).empty());
  EXPECT_TRUE(EvdevTabletFinder::Find((dir / "missing").string()).empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
