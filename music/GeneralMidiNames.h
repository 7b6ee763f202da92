// SPDX-License-Identifier: MIT
#pragma once

#include <array>

inline constexpr int kGeneralMidiLabelCount = 129;  ///< 128 numbers plus "none"

/// Labels of the patch box: programme p is labelled p + 1; index 128 is none.
extern const std::array<const char*, kGeneralMidiLabelCount> PatchNames;
/// Labels of the controller boxes: controller c is labelled c; index 128 is none.
extern const std::array<const char*, kGeneralMidiLabelCount> ControllerNames;
