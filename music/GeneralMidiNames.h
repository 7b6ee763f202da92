// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "model/Ranges.h"

/// Labels of the patch box: programme p is labelled p + 1; index 128 is none.
extern const std::array<const char*, kPatchEntryCount> PatchNames;
/// Labels of the controller boxes: controller c is labelled c; index 128 is
/// none, then pitch bend and channel pressure.
extern const std::array<const char*, kControllerEntryCount> ControllerNames;
