// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "picture/PictureDecoder.h"
#include "ui/window/BackgroundWorker.h"

/// Decodes pictures on a thread of its own, one after the other, and answers
/// on the thread that created it: choosing or loading a large picture never
/// stalls the pen or the MIDI that follows it. Destroying the decoder waits
/// for the picture being decoded, if any, and drops every other request.
class BackgroundPictureDecoder : public PictureDecoder {
 public:
  void Decode(const std::string& path, std::shared_ptr<PictureBudget> budget, Done done) override {
    worker_.Post([path, budget = std::move(budget), done = std::move(done)]() -> BackgroundWorker::Answer {
      // Shared, so the picture can travel in a copyable call.
      auto decoded = std::make_shared<std::optional<Picture>>(std::in_place);
      if (!(*decoded)->Load(path, budget)) decoded->reset();
      return [done, decoded] { done(std::move(*decoded)); };
    });
  }

 private:
  BackgroundWorker worker_{BackgroundWorker::WaitingJobsAtEnd::Drop};
};
