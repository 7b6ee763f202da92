// SPDX-License-Identifier: MIT
#include "picture/Picture.h"

// Placeholder until picture decoding lands: nothing decodes.
bool Picture::Load(const std::string&) { return false; }

void Picture::Free() {
  pixels_.clear();
  width_ = height_ = 0;
  ++generation_;
}
