// SPDX-License-Identifier: MIT
#include "tablet/EvdevDeviceInfo.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

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

}  // namespace
