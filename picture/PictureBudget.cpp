// SPDX-License-Identifier: MIT
#include "picture/PictureBudget.h"

#include <utility>

std::shared_ptr<PictureBudget> PictureBudget::Create(uint64_t limitBytes) {
  return std::shared_ptr<PictureBudget>(new PictureBudget(limitBytes));
}

std::optional<PictureBudget::Share> PictureBudget::Take(uint64_t bytes) {
  uint64_t used = used_.load();
  do {
    if (bytes > limit_ || used > limit_ - bytes) return std::nullopt;
  } while (!used_.compare_exchange_weak(used, used + bytes));
  return Share(shared_from_this(), bytes);
}

PictureBudget::Share& PictureBudget::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    GiveBack();
    budget_ = std::move(other.budget_);
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

void PictureBudget::Share::GiveBack() {
  if (budget_) budget_->used_ -= bytes_;
  budget_.reset();
  bytes_ = 0;
}
