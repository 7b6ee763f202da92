// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/Configuration.h"
#include "picture/Picture.h"
#include "picture/PictureBudget.h"
#include "picture/PictureDecoder.h"

/// The twelve slots' decoded pictures and whether each is in use (drawn and
/// sampled). A picture is asked of the decoder and lands in its slot when it
/// arrives, unless the slot's picture was decided anew in the meantime: a
/// later request, Clear, or a reset drops the answer to an earlier request.
/// Every picture is decoded under one budget (PictureBudget::kDefaultLimitBytes
/// unless another is lent): the slots' pictures and those on their way
/// together never take more.
class SlotPictures {
 public:
  /// Runs when a request's answer is taken, after the slot has changed.
  using Arrival = std::function<void(bool decoded)>;

  /// Decoding happens at once until the owner lends another decoder.
  void UseDecoder(PictureDecoder& decoder) { decoder_ = &decoder; }
  /// Pictures asked for from now on are decoded under this budget.
  void UseBudget(std::shared_ptr<PictureBudget> budget) { budget_ = std::move(budget); }

  /// Asks for `path`'s picture for `slot`. Decoded (and within the budget),
  /// it replaces the slot's picture and is in use; otherwise the slot stays
  /// as it is. Either way `arrived` then runs, unless the request was
  /// overtaken. A picture of the slot that is out of use is freed at once: it
  /// would never be shown again, and the new one may need its room.
  void Request(int slot, const std::string& path, Arrival arrived);
  /// The slot's picture goes out of use; the decoded picture is kept until it
  /// is replaced or freed. A request still under way is dropped.
  void StopUsing(int slot);
  /// As StopUsing, and the decoded picture's memory is given back.
  void Free(int slot);

  bool InUse(int slot) const { return inUse_[slot]; }
  const Picture& Get(int slot) const { return pictures_[slot]; }

 private:
  ImmediatePictureDecoder immediate_;
  PictureDecoder* decoder_ = &immediate_;
  std::array<Picture, kSlotCount> pictures_;
  std::array<bool, kSlotCount> inUse_{};
  std::shared_ptr<PictureBudget> budget_ = PictureBudget::Create();
  /// Counts each slot's decisions; an answer counts only if none came after
  /// its request.
  std::array<uint64_t, kSlotCount> decisions_{};
};
