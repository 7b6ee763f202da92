// SPDX-License-Identifier: MIT
#include "picture/Picture.h"

#include "picture/PictureFileCheck.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <new>

namespace {

// Reads a whole regular file of at most kMaxPictureFileBytes. The path is used
// byte for byte: a file name that is not valid text still opens.
bool ReadPictureFile(const std::string& path, QByteArray& data) {
  std::error_code error;
  const std::filesystem::path file(path);
  // Only regular files: a pipe or a device could block or never end.
  if (path.empty() || !std::filesystem::is_regular_file(file, error)) return false;
  const auto size = std::filesystem::file_size(file, error);
  if (error || size > Picture::kMaxPictureFileBytes) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  data.resize(static_cast<qsizetype>(size));
  in.read(data.data(), data.size());
  // The file may have shrunk since its size was taken; keep what was read.
  data.resize(static_cast<qsizetype>(in.gcount()));
  return !in.bad();
}

bool TooManyPixels(qint64 width, qint64 height) { return width * height > Picture::kMaxPixels; }

// What a picture of that size holds: three bytes a pixel.
uint64_t PixelBytes(QSize size) { return uint64_t(size.width()) * uint64_t(size.height()) * 3; }

// Makes `share` the part of the budget for `bytes`, giving back what it held
// first; false when they do not fit. Without a budget every size fits.
bool ShareFor(const std::shared_ptr<PictureBudget>& budget, uint64_t bytes, PictureBudget::Share& share) {
  if (!budget || share.Bytes() == bytes) return true;
  share = {};
  auto taken = budget->Take(bytes);
  if (!taken) return false;
  share = std::move(*taken);
  return true;
}

// Pictures are decoded on a worker thread too, so the counter is shared.
uint64_t NextGeneration() {
  static std::atomic<uint64_t> generations{0};
  return ++generations;
}

}  // namespace

bool Picture::Load(const std::string& path, const std::shared_ptr<PictureBudget>& budget) {
  try {
    QByteArray data;
    if (!ReadPictureFile(path, data)) return false;
    if (IsTruncatedPictureFile(std::string_view(data.constData(), static_cast<size_t>(data.size())))) return false;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Refuse enormous pictures before decoding them, by the size the header
    // declares; the allocation limit catches decoders that cannot tell.
    reader.setAllocationLimit(kDecodeAllocationLimitMb);
    const QSize declared = reader.size();
    if (declared.isValid() && TooManyPixels(declared.width(), declared.height())) return false;
    // The picture's memory is decided before it is decoded: a small file may
    // declare a huge picture.
    PictureBudget::Share share;
    if (declared.isValid() && !ShareFor(budget, PixelBytes(declared), share)) return false;
    QImage image = reader.read();
    if (image.isNull() || TooManyPixels(image.width(), image.height())) return false;
    if (!ShareFor(budget, PixelBytes(image.size()), share)) return false;
    // Palette, greyscale, 16-bit and alpha pictures all become plain RGB bytes.
    image.convertTo(QImage::Format_RGB888);
    if (image.isNull()) return false;

    const int width = image.width();
    const int height = image.height();
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> pixels(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
      const uchar* source = image.constScanLine(y);
      std::copy(source, source + rowBytes, pixels.begin() + static_cast<ptrdiff_t>(rowBytes * y));
    }
    pixels_ = std::move(pixels);
    share_ = std::move(share);
    width_ = width;
    height_ = height;
    generation_ = NextGeneration();
    return true;
  } catch (const std::bad_alloc&) {
    return false;  // too large for this machine: keep what was held
  }
}

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this == &other) return *this;
  pixels_ = std::move(other.pixels_);
  share_ = std::move(other.share_);
  width_ = other.width_;
  height_ = other.height_;
  generation_ = other.generation_;
  return *this;
}

void Picture::Free() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  share_ = {};
  width_ = height_ = 0;
  generation_ = NextGeneration();
}
