// SPDX-License-Identifier: MIT
// End to end through a virtual tablet made with uinput; skipped where this
// user cannot create input devices.
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWidget>
#include <vector>

#include "TestApplication.h"
#include "tablet/TabletContext.h"
#include "tablet/layers/EvdevTabletService.h"

namespace {

// The tablet area; it counts the tablet events that get through to it.
class Area : public QWidget {
 public:
  using QWidget::QWidget;
  int tabletEvents = 0;

 protected:
  void tabletEvent(QTabletEvent* event) override {
    ++tabletEvents;
    event->ignore();
  }
};

class VirtualTablet {
 public:
  VirtualTablet() {
    device_ = libevdev_new();
    libevdev_set_name(device_, "Wacom Virtual Test Pen");
    libevdev_set_id_vendor(device_, 0x056a);
    libevdev_set_id_product(device_, 0x0001);
    libevdev_set_id_bustype(device_, BUS_USB);
    input_absinfo xy{0, 0, 10000, 0, 0, 100};
    input_absinfo pressure{0, 0, 2047, 0, 0, 0};
    input_absinfo tilt{0, -64, 63, 0, 0, 57};
    libevdev_enable_event_code(device_, EV_ABS, ABS_X, &xy);
    libevdev_enable_event_code(device_, EV_ABS, ABS_Y, &xy);
    libevdev_enable_event_code(device_, EV_ABS, ABS_PRESSURE, &pressure);
    libevdev_enable_event_code(device_, EV_ABS, ABS_TILT_X, &tilt);
    libevdev_enable_event_code(device_, EV_ABS, ABS_TILT_Y, &tilt);
    for (unsigned int key : {BTN_TOOL_PEN, BTN_TOOL_RUBBER, BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2}) {
      libevdev_enable_event_code(device_, EV_KEY, key, nullptr);
    }
    libevdev_enable_property(device_, INPUT_PROP_DIRECT);
    if (libevdev_uinput_create_from_device(device_, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput_) != 0) uinput_ = nullptr;
  }
  ~VirtualTablet() {
    Unplug();
    libevdev_free(device_);
  }
  bool Created() const { return uinput_ != nullptr; }
  const char* Node() const { return libevdev_uinput_get_devnode(uinput_); }
  void Write(unsigned int type, unsigned int code, int value) {
    libevdev_uinput_write_event(uinput_, type, code, value);
  }
  void Unplug() {
    if (uinput_) libevdev_uinput_destroy(uinput_);
    uinput_ = nullptr;
  }

 private:
  libevdev* device_ = nullptr;
  libevdev_uinput* uinput_ = nullptr;
};

// Lets the socket notifier run until `count` packets came or a generous limit passed.
void WaitForPackets(const std::vector<TabletPacket>& packets, size_t count) {
  QElapsedTimer timer;
  timer.start();
  while (packets.size() < count && timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
}

TEST(EvdevUinput, AVirtualTabletPlaysAndUnpluggingLiftsThePen) {
  if (::access("/dev/uinput", W_OK) != 0) GTEST_SKIP() << "no writable /dev/uinput here";
  TestApplication();
  VirtualTablet tablet;
  if (!tablet.Created() || !tablet.Node()) GTEST_SKIP() << "uinput refused the virtual tablet";
  // udev may take a moment to give the new node its permissions.
  QElapsedTimer timer;
  timer.start();
  while (::access(tablet.Node(), R_OK) != 0 && timer.elapsed() < 5000) QCoreApplication::processEvents();

  EvdevTabletService service(tablet.Node());
  ASSERT_TRUE(service.ServicesPresent());
  EXPECT_EQ(service.DeviceName(), "WACOM Virtual Test Pen");
  EXPECT_TRUE(service.Orientation().supported);

  QWidget window;
  auto* area = new Area(&window);
  std::vector<TabletPacket> packets;
  ASSERT_TRUE(OpenTabletContext(service, &window, area, [&](const TabletPacket& p) { packets.push_back(p); }));

  // The pen's pointer events over the area are the layer's: no click comes of them.
  QPointingDevice pointer("Pointer", 1, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
                          QInputDevice::Capability::Position, 1, 3);
  QTabletEvent press(QEvent::TabletPress, &pointer, {5, 5}, {5, 5}, 0.5, 0, 0, 0, 0, 0, Qt::NoModifier,
                     Qt::LeftButton, Qt::LeftButton);
  QCoreApplication::sendEvent(area, &press);
  EXPECT_EQ(area->tabletEvents, 0);
  EXPECT_TRUE(press.isAccepted());

  tablet.Write(EV_KEY, BTN_TOOL_PEN, 1);
  tablet.Write(EV_ABS, ABS_X, 10000);
  tablet.Write(EV_ABS, ABS_Y, 0);
  tablet.Write(EV_KEY, BTN_TOUCH, 1);
  tablet.Write(EV_ABS, ABS_PRESSURE, 2047);
  tablet.Write(EV_SYN, SYN_REPORT, 0);
  WaitForPackets(packets, 1);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].cursor, 1u);
  EXPECT_EQ(packets[0].buttons, 1u);
  EXPECT_EQ(packets[0].normalPressure, 1023u);
  EXPECT_EQ(packets[0].y, 0);
  EXPECT_GT(packets[0].x, 0);

  tablet.Unplug();
  WaitForPackets(packets, 2);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[1].normalPressure, 0u);
  EXPECT_EQ(packets[1].buttons, 0u);
  service.Close();
}

}  // namespace
