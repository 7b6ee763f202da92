// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

/// The memory that decoded pictures may take together. Each picture kept
/// holds a share of the budget for its pixels, which it gives back when it is
/// freed, replaced or destroyed; a picture whose share does not fit is
/// refused. Shares are taken and given back on any thread (pictures are
/// decoded on a thread of the window's own).
class PictureBudget : public std::enable_shared_from_this<PictureBudget> {
 public:
  /// What the twelve slots' pictures may take together: three photographs of
  /// 100 megapixels, or a hundred of 3.5 megapixels.
  static constexpr uint64_t kDefaultLimitBytes = uint64_t{1} << 30;

  /// A part of a budget taken for one picture; given back when the share is
  /// destroyed or replaced. An empty share holds nothing.
  class Share {
   public:
    Share() = default;
    Share(Share&& other) noexcept { *this = std::move(other); }
    Share& operator=(Share&& other) noexcept;
    ~Share() { GiveBack(); }

    uint64_t Bytes() const { return bytes_; }

   private:
    friend class PictureBudget;
    Share(std::shared_ptr<PictureBudget> budget, uint64_t bytes) : budget_(std::move(budget)), bytes_(bytes) {}
    void GiveBack();

    std::shared_ptr<PictureBudget> budget_;
    uint64_t bytes_ = 0;
  };

  static std::shared_ptr<PictureBudget> Create(uint64_t limitBytes = kDefaultLimitBytes);

  /// Takes `bytes` of the budget; nothing when they would go past its limit.
  std::optional<Share> Take(uint64_t bytes);
  /// What the shares held now take together.
  uint64_t Used() const { return used_.load(); }
  uint64_t Limit() const { return limit_; }

 private:
  explicit PictureBudget(uint64_t limitBytes) : limit_(limitBytes) {}

  const uint64_t limit_;
  std::atomic<uint64_t> used_{0};
};
