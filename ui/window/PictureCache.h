// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <unordered_map>

class Picture;

/// Keeps each slot picture stretched to the tablet area's size, so a paint only
/// copies pixels; a picture is scaled again only when it or the size changes.
class PictureCache {
 public:
  /// The picture stretched over `size`; a null image for an empty picture.
  const QImage& Scaled(const Picture& picture, QSize size);
  /// Decoded picture as an image of its own size (rows from the top, RGB).
  static QImage ToImage(const Picture& picture);
  /// How many times a picture was scaled (for the benchmarks and tests).
  uint64_t ScaleCount() const { return scaleCount_; }

 private:
  struct Entry {
    uint64_t generation = 0;
    QSize size;
    QImage scaled;
  };
  std::unordered_map<const Picture*, Entry> entries_;
  QImage empty_;
  uint64_t scaleCount_ = 0;
};
