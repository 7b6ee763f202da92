// SPDX-License-Identifier: MIT
#include "engine/SlotPictures.h"

#include <optional>
#include <utility>

void SlotPictures::Request(int slot, const std::string& path, Arrival arrived) {
  const uint64_t decision = ++decisions_[slot];
  if (!inUse_[slot]) pictures_[slot].Free();
  decoder_->Decode(path, budget_, [this, slot, decision, arrived = std::move(arrived)](std::optional<Picture> decoded) {
    if (decision != decisions_[slot]) return;
    if (decoded) {
      pictures_[slot] = std::move(*decoded);
      inUse_[slot] = true;
    }
    arrived(decoded.has_value());
  });
}

void SlotPictures::StopUsing(int slot) {
  ++decisions_[slot];
  inUse_[slot] = false;
}

void SlotPictures::Free(int slot) {
  StopUsing(slot);
  pictures_[slot].Free();
}
