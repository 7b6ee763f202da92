// SPDX-License-Identifier: MIT
#pragma once

#include "model/Configuration.h"

/// What Copy keeps for Paste. The program has one, which every slot pastes
/// from; it is never cleared, so one Copy can be pasted any number of times.
/// Before the first Copy every numeric field is 0 and there is no picture.
struct CopyBuffer {
  Configuration config;     ///< value-initialised, not the defaults of a fresh slot
  bool hasPicture = false;  ///< the copied slot had its picture in use
};
