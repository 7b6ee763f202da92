// SPDX-License-Identifier: MIT
// Walks arbitrary BMP and JPEG structures with the truncation check: it must
// never read outside the bytes, whatever lengths and sizes they declare.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "picture/PictureFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // Other inputs get a signature picked by their first byte, so that every
  // input reaches one of the format walks.
  if (!bytes.starts_with("BM") && !bytes.starts_with("\xFF\xD8\xFF")) {
    bytes = (data[0] % 2 ? "\xFF\xD8\xFF" : "BM") + bytes.substr(1);
  }
  // Exactly sized, so that the address sanitizer sees any read past the end.
  const auto exact = std::make_unique<char[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), exact.get());
  IsTruncatedPictureFile(std::string_view(exact.get(), bytes.size()));
  return 0;
}
