// SPDX-License-Identifier: MIT
#include "engine/SlotPictures.h"

#include <optional>
#include <utility>

void SlotPictures::Request(int slot, const std::string& path, Arrival arrived) {
  const uint64_t decision = ++decisions_[slot];
  decoder_->Decode(path, [this, slot, decision, arrived = std::move(arrived)](std::optional<Picture> decoded) {
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
