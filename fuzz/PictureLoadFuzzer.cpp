// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes as a picture file through the program's own loading:
// Picture::Load reads the file, refuses truncated JPEG and BMP files and
// pictures beyond the size limits, decodes with Qt and keeps RGB bytes.
// Beyond crashes and reads outside a buffer it checks that a refused file
// keeps the picture held before, and that a loaded one is within the limits,
// has every pixel readable, samples like its own pixels and holds exactly its
// share of the memory budget, which it gives back when it goes.
#include <QtGlobal>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "picture/ColorSampling.h"
#include "picture/Picture.h"
#include "picture/PictureBudget.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The input becomes a file in memory, reached by a path like any other file.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("quill-picture-fuzz", 0)) {
    Check(fd_ >= 0);
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  const std::string& Path() const { return path_; }
  void Hold(const uint8_t* data, size_t size) {
    Check(ftruncate(fd_, 0) == 0);
    for (size_t done = 0; done < size;) {
      const ssize_t written = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      Check(written > 0);
      done += static_cast<size_t>(written);
    }
  }

 private:
  int fd_;
  std::string path_;
};

// A 2 × 1 BMP, red then blue: the picture held before each input.
// clang-format off
constexpr uint8_t kHeldBmp[] = {
    'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size, pixel offset
    40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // 2 × 1, one plane, 24 bits
    0, 0, 0, 0, 8, 0, 0, 0,                           // no compression, 8 bytes of pixels
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // resolution, palette
    0, 0, 255, 255, 0, 0, 0, 0,                       // red, blue (stored B G R), padding
};
// clang-format on
static_assert(sizeof kHeldBmp == 62);

// Reads the first and last byte of every row, so that the address sanitizer
// reports a row reaching outside the pixels. Reading every byte instead made
// a picture of 60 million pixels take seconds in this loop alone.
void TouchRows(const Picture& picture) {
  volatile uint8_t sink = 0;
  const size_t rowBytes = static_cast<size_t>(picture.Width()) * 3;
  for (int y = 0; y < picture.Height(); ++y) sink = sink + picture.Row(y)[0] + picture.Row(y)[rowBytes - 1];
}

}  // namespace

// Qt reports every broken file it meets; the fuzzer meets thousands a second.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile heldFile, file;
  static const auto budget = PictureBudget::Create();
  [[maybe_unused]] static const bool heldReady = (heldFile.Hold(kHeldBmp, sizeof kHeldBmp), true);

  file.Hold(data, size);
  {
    Picture picture;
    Check(picture.Load(heldFile.Path(), budget) && picture.Width() == 2 && picture.Height() == 1);
    Check(picture.Row(0)[0] == 255 && picture.Row(0)[5] == 255 && budget->Used() == 6);
    const uint64_t heldGeneration = picture.Generation();
    if (!picture.Load(file.Path(), budget)) {
      Check(picture.Generation() == heldGeneration && picture.Width() == 2 && picture.Height() == 1);
      Check(picture.Row(0)[0] == 255 && picture.Row(0)[5] == 255 && budget->Used() == 6);
      return 0;
    }
    const int64_t width = picture.Width();
    const int64_t height = picture.Height();
    Check(picture.Generation() > heldGeneration && !picture.IsEmpty());
    Check(width > 0 && height > 0 && width * height <= Picture::kMaxPixels);
    Check(budget->Used() == static_cast<uint64_t>(width * height * 3));
    TouchRows(picture);
    // The corners under the pen are the corner pixels, halved for colour model 0.
    for (const auto& [x, y] : {std::pair{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}}) {
      const std::array<uint8_t, 3> sampled = SampleColor(picture, x, y, 0);
      const uint8_t* pixel = picture.Row(y == 0.0f ? 0 : picture.Height() - 1) + (x == 0.0f ? 0 : (width - 1) * 3);
      Check(sampled[0] == pixel[0] >> 1 && sampled[1] == pixel[1] >> 1 && sampled[2] == pixel[2] >> 1);
      SampleColor(picture, x, y, 1);
    }
  }
  Check(budget->Used() == 0);  // the share went with the pixels
  return 0;
}
