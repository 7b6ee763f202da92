// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "picture/Picture.h"

/// Turns picture files into decoded pictures for the engine, each taking its
/// share of the budget it is decoded under. The answer comes through `done`
/// on the thread that asked, either before Decode returns or later, from that
/// thread's event loop; a decoder that is destroyed first never answers.
class PictureDecoder {
 public:
  /// The decoded picture, or nothing when the file does not decode.
  using Done = std::function<void(std::optional<Picture> decoded)>;

  virtual ~PictureDecoder() = default;
  virtual void Decode(const std::string& path, std::shared_ptr<PictureBudget> budget, Done done) = 0;
};

/// Decodes on the caller's thread before returning: for quill-replay, whose
/// output follows the script line by line, and for tests.
class ImmediatePictureDecoder : public PictureDecoder {
 public:
  void Decode(const std::string& path, std::shared_ptr<PictureBudget> budget, Done done) override {
    Picture picture;
    if (picture.Load(path, budget)) {
      done(std::move(picture));
    } else {
      done(std::nullopt);
    }
  }
};
