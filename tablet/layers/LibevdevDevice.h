// SPDX-License-Identifier: MIT
#pragma once

#include "tablet/EvdevDeviceInfo.h"

struct libevdev;

/// What an opened node tells of its device: name, ids, keys and the axes
/// packets are made from.
EvdevDeviceInfo DescribeDevice(const libevdev* device);
