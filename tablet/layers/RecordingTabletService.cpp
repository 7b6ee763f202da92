// SPDX-License-Identifier: MIT
#include "tablet/layers/RecordingTabletService.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int64_t kLongestPauseMilliseconds =
    kLongestRecordedPauseMicroseconds / 1000 + RecordingTabletService::kPauseMilliseconds;
}

RecordingTabletService::RecordingTabletService(TabletRecording recording,
                                               std::shared_ptr<const TabletModelDatabase> models)
    : DecodingTabletService(std::move(models)),
      events_(std::move(recording.events)),
      offsets_(RealTimeOffsets(events_)) {
  if (core_.SetDevice(recording.device) && models_) {
    model_ = models_->ModelNamed(recording.device.name).value_or(std::string());
  }
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { PlayDueEvents(); });
  clock_.start();
}

bool RecordingTabletService::OpenContext(PacketHandler handler) {
  if (!DecodingTabletService::OpenContext(std::move(handler))) return false;
  open_ = true;
  next_ = 0;
  passStart_ = NowMicroseconds() + int64_t{kPauseMilliseconds} * 1000;
  if (!events_.empty()) timer_.start(kPauseMilliseconds);
  return true;
}

void RecordingTabletService::Close() {
  open_ = false;
  timer_.stop();
  DecodingTabletService::Close();
}

void RecordingTabletService::PlayDueEvents() {
  // A packet may open a message box whose event loop fires this timer again;
  // the outer call goes on where the events are once the box has closed.
  if (playing_) return;
  playing_ = true;
  int64_t now = NowMicroseconds();
  while (next_ < events_.size() && offsets_[next_] <= now - passStart_) Feed(events_[next_++]);
  if (next_ == events_.size()) {
    // The pen is put away: a pressing one is lifted, and the next pass
    // starts with the device as it was described.
    const EvdevDeviceInfo device = core_.Device();
    DeviceLost();
    core_.SetDevice(device);
    next_ = 0;
    now = NowMicroseconds();
    passStart_ = now + int64_t{kPauseMilliseconds} * 1000;
  }
  playing_ = false;
  if (!open_) return;  // closed while a packet's message box was open
  const int64_t waitMilliseconds = (offsets_[next_] - (now - passStart_) + 999) / 1000;
  timer_.start(static_cast<int>(std::clamp<int64_t>(waitMilliseconds, 0, kLongestPauseMilliseconds)));
}
