// SPDX-License-Identifier: MIT
#include "tablet/layers/LibevdevDevice.h"

#include <libevdev/libevdev.h>

namespace {

EvdevAxisInfo AxisOf(const libevdev* device, unsigned int code) {
  EvdevAxisInfo axis;
  const input_absinfo* info = libevdev_get_abs_info(device, code);
  if (!info) return axis;
  axis.present = true;
  axis.minimum = info->minimum;
  axis.maximum = info->maximum;
  axis.resolution = info->resolution;
  return axis;
}

}  // namespace

EvdevDeviceInfo DescribeDevice(const libevdev* device) {
  EvdevDeviceInfo info;
  const char* name = libevdev_get_name(device);
  info.name = name ? name : "";
  info.vendor = static_cast<uint16_t>(libevdev_get_id_vendor(device));
  info.product = static_cast<uint16_t>(libevdev_get_id_product(device));
  for (unsigned int code = 0; code < KEY_CNT; ++code) {
    if (libevdev_has_event_code(device, EV_KEY, code)) info.keys.set(code);
  }
  info.axes = EvdevTabletAxes{AxisOf(device, ABS_X), AxisOf(device, ABS_Y), AxisOf(device, ABS_PRESSURE),
                              AxisOf(device, ABS_TILT_X), AxisOf(device, ABS_TILT_Y)};
  return info;
}
