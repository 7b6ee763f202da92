// SPDX-License-Identifier: MIT
#include "picture/PictureFileCheck.h"

#include <cstdint>
#include <cstdlib>

namespace {

uint32_t Byte(std::string_view b, size_t at) { return static_cast<uint8_t>(b[at]); }
uint32_t Little16(std::string_view b, size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
uint32_t Little32(std::string_view b, size_t at) { return Little16(b, at) | Little16(b, at + 2) << 16; }

// A BMP holds its uncompressed rows after the offset its header gives; the
// file must reach the end of the last row.
bool IsTruncatedBmp(std::string_view b) {
  if (b.size() < 26) return true;
  const uint64_t pixelOffset = Little32(b, 10);
  const uint32_t headerSize = Little32(b, 14);
  int64_t width, height;
  uint32_t bitsPerPixel, compression = 0;
  if (headerSize == 12) {  // the old core header: 16-bit sizes, never compressed
    width = Little16(b, 18);
    height = Little16(b, 20);
    bitsPerPixel = Little16(b, 24);
  } else {
    if (b.size() < 34) return true;
    width = static_cast<int32_t>(Little32(b, 18));
    height = std::llabs(static_cast<int32_t>(Little32(b, 22)));  // negative: stored top-down
    bitsPerPixel = Little16(b, 28);
    compression = Little32(b, 30);
  }
  constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields) return false;
  if (width <= 0 || bitsPerPixel == 0 || bitsPerPixel > 64) return false;
  const uint64_t stride = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  return b.size() < pixelOffset + stride * static_cast<uint64_t>(height);
}

// A JPEG is a chain of marker segments; after each scan header comes coded
// data up to the next marker. The picture is complete when the chain reaches
// the end-of-image marker.
bool IsTruncatedJpeg(std::string_view b) {
  constexpr uint32_t kEndOfImage = 0xD9, kStartOfScan = 0xDA;
  auto isRestart = [](uint32_t m) { return m >= 0xD0 && m <= 0xD7; };
  const size_t n = b.size();
  size_t i = 2;  // after the start-of-image marker
  for (;;) {
    if (i >= n) return true;
    if (Byte(b, i) != 0xFF) return false;     // not a marker: leave it to the decoder
    while (i < n && Byte(b, i) == 0xFF) ++i;  // fill bytes
    if (i >= n) return true;
    const uint32_t marker = Byte(b, i++);
    if (marker == kEndOfImage) return false;
    if (marker == 0x01 || isRestart(marker)) continue;  // markers without a segment
    if (i + 2 > n) return true;
    const size_t length = Byte(b, i) << 8 | Byte(b, i + 1);
    if (length < 2) return false;
    i += length;
    if (i > n) return true;
    if (marker != kStartOfScan) continue;
    // Coded data: a 0xFF is followed by 0 (a stuffed byte), a restart marker,
    // another 0xFF (fill) or the next marker.
    for (;; ++i) {
      if (i + 1 >= n) return true;
      if (Byte(b, i) != 0xFF) continue;
      const uint32_t next = Byte(b, i + 1);
      if (next != 0x00 && next != 0xFF && !isRestart(next)) break;
    }
  }
}

}  // namespace

bool IsTruncatedPictureFile(std::string_view bytes) {
  if (bytes.starts_with("BM")) return IsTruncatedBmp(bytes);
  if (bytes.starts_with("\xFF\xD8\xFF")) return IsTruncatedJpeg(bytes);
  return false;
}
