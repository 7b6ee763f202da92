// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One decoded picture of a configuration slot, kept as 8-bit red, green and
/// blue bytes, rows counted from the top; or nothing.
class Picture {
 public:
  /// Decodes a picture file. On failure the previously held picture stays.
  bool Load(const std::string& path);
  /// Drops the picture, leaving the object empty.
  void Free();

  bool IsEmpty() const { return pixels_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  /// The width × 3 bytes (red, green, blue) of a row counted from the top.
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }
  /// Changes whenever a new picture is decoded or the picture is freed, so a
  /// view can keep a scaled copy until it changes.
  uint64_t Generation() const { return generation_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
  uint64_t generation_ = 0;
};
