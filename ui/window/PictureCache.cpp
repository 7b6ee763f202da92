// SPDX-License-Identifier: MIT
#include "ui/window/PictureCache.h"

#include <cstring>

#include "picture/Picture.h"

QImage PictureCache::ToImage(const Picture& picture) {
  if (picture.IsEmpty() || picture.Width() <= 0 || picture.Height() <= 0) return QImage();
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB888);
  const size_t rowBytes = static_cast<size_t>(picture.Width()) * 3;
  for (int y = 0; y < picture.Height(); ++y) {
    std::memcpy(image.scanLine(y), picture.Row(y), rowBytes);
  }
  return image;
}

const QImage& PictureCache::Scaled(const Picture& picture, QSize size) {
  if (picture.IsEmpty() || size.isEmpty()) return empty_;
  auto found = entries_.find(&picture);
  if (found != entries_.end() && found->second.generation == picture.Generation() && found->second.size == size) {
    return found->second.scaled;
  }
  Entry& entry = entries_[&picture];
  entry.generation = picture.Generation();
  entry.size = size;
  // Stretched over the whole area, as the picture is sampled under the pen.
  entry.scaled = ToImage(picture)
                     .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_RGB32);
  ++scaleCount_;
  return entry.scaled;
}
