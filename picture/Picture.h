// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "picture/PictureBudget.h"

/// One decoded picture of a configuration slot, kept as 8-bit red, green and
/// blue bytes, rows counted from the top; or nothing. A picture holds the
/// share of the budget it was decoded under for as long as it holds its
/// pixels, so it is moved, never copied.
class Picture {
 public:
  /// Pictures with more pixels than this are refused before they are decoded.
  static constexpr int64_t kMaxPixels = 100'000'000;
  /// Files larger than this are not read at all.
  static constexpr uint64_t kMaxPictureFileBytes = uint64_t{512} << 20;
  /// Memory a decoder may ask for, in megabytes, when the file does not
  /// declare its size up front.
  static constexpr int kDecodeAllocationLimitMb = 1024;

  Picture() = default;
  Picture(Picture&&) = default;
  /// The picture held before is freed, then its share given back.
  Picture& operator=(Picture&& other) noexcept;

  /// Decodes a picture file (whatever Qt reads: JPEG, BMP, PNG, ...) into RGB
  /// bytes, taking their share of `budget` (none: no limit but kMaxPixels).
  /// The share is taken before decoding, by the size the file declares,
  /// where the format declares one; otherwise once the picture is decoded.
  /// On failure (no such file, not a picture, truncated, too large, beyond
  /// the budget) the previously held picture stays and the answer is false.
  bool Load(const std::string& path, const std::shared_ptr<PictureBudget>& budget = nullptr);
  /// Drops the picture, leaving the object empty.
  void Free();

  bool IsEmpty() const { return pixels_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  /// The pixels start at Row(0), rows follow each other without padding, so a
  /// view can wrap them as one RGB888 image with a stride of Width() × 3.
  /// The width × 3 bytes (red, green, blue) of a row counted from the top.
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }
  /// Changes whenever a new picture is decoded or the picture is freed, so a
  /// view can keep a scaled copy until it changes. Unique across all pictures:
  /// one decoded elsewhere and moved into a slot still counts as new there.
  uint64_t Generation() const { return generation_; }

 private:
  int width_ = 0;
  int height_ = 0;
  /// Before the pixels, so that it is given back once they are gone.
  PictureBudget::Share share_;
  std::vector<uint8_t> pixels_;
  uint64_t generation_ = 0;
};
