// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "picture/PictureDecoder.h"

/// Decodes pictures on a thread of its own, one after the other, and answers
/// on the thread that created it, from its event loop: choosing or loading a
/// large picture never stalls the pen or the MIDI that follows it. Destroying
/// the decoder waits for the picture being decoded, if any, and drops every
/// answer not yet given.
class BackgroundPictureDecoder : public PictureDecoder {
 public:
  BackgroundPictureDecoder();
  ~BackgroundPictureDecoder() override;
  BackgroundPictureDecoder(const BackgroundPictureDecoder&) = delete;
  BackgroundPictureDecoder& operator=(const BackgroundPictureDecoder&) = delete;

  void Decode(const std::string& path, Done done) override;

 private:
  void Work();

  /// Answers are posted to this object; Qt drops them once it is gone.
  QObject answers_;
  std::mutex mutex_;
  std::condition_variable requested_;
  std::deque<std::pair<std::string, Done>> requests_;
  bool stopping_ = false;
  std::thread worker_;  ///< last: started once everything above exists
};
