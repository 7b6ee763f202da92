// SPDX-License-Identifier: MIT
#include "ui/window/BackgroundPictureDecoder.h"

#include <QMetaObject>

#include <memory>
#include <optional>

BackgroundPictureDecoder::BackgroundPictureDecoder() : worker_([this] { Work(); }) {}

BackgroundPictureDecoder::~BackgroundPictureDecoder() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    requests_.clear();
  }
  requested_.notify_one();
  worker_.join();
}

void BackgroundPictureDecoder::Decode(const std::string& path, Done done) {
  {
    const std::lock_guard lock(mutex_);
    requests_.emplace_back(path, std::move(done));
  }
  requested_.notify_one();
}

void BackgroundPictureDecoder::Work() {
  for (;;) {
    std::pair<std::string, Done> request;
    {
      std::unique_lock lock(mutex_);
      requested_.wait(lock, [this] { return stopping_ || !requests_.empty(); });
      if (stopping_) return;
      request = std::move(requests_.front());
      requests_.pop_front();
    }
    // Shared, so the answer can travel in a copyable call.
    auto decoded = std::make_shared<std::optional<Picture>>(std::in_place);
    if (!(*decoded)->Load(request.first)) decoded->reset();
    QMetaObject::invokeMethod(
        &answers_, [done = std::move(request.second), decoded] { done(std::move(*decoded)); }, Qt::QueuedConnection);
  }
}
