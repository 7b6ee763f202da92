// SPDX-License-Identifier: MIT
#include "tablet/EvdevDeviceInfo.h"

namespace {

constexpr unsigned int kToolCodes[] = {BTN_TOOL_PEN,      BTN_TOOL_RUBBER, BTN_TOOL_BRUSH, BTN_TOOL_PENCIL,
                                       BTN_TOOL_AIRBRUSH, BTN_TOOL_MOUSE,  BTN_TOOL_LENS};

}  // namespace

bool IsTabletPen(const EvdevDeviceInfo& device) {
  const EvdevTabletAxes& axes = device.axes;
  return axes.x.present && axes.y.present && axes.pressure.present &&
         (device.keys.test(BTN_TOOL_PEN) || device.keys.test(BTN_STYLUS));
}

bool NamesItsTools(const EvdevDeviceInfo& device) {
  for (unsigned int code : kToolCodes) {
    if (device.keys.test(code)) return true;
  }
  return false;
}

std::string ReportedDeviceName(const std::string& deviceName, uint16_t vendor) {
  if (vendor != kWacomVendorId) return deviceName;
  std::string product = deviceName;
  // The kernel names Wacom devices "Wacom <product>"; the maker goes in capitals.
  if (product.size() >= 6 && (product.compare(0, 6, "Wacom ") == 0 || product.compare(0, 6, "WACOM ") == 0)) {
    product.erase(0, 6);
  }
  return "WACOM " + product;
}
