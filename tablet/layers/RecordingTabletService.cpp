// SPDX-License-Identifier: MIT
#include "tablet/layers/RecordingTabletService.h"

#include <algorithm>
#include <utility>

#include "tablet/EventTime.h"

namespace {
constexpr int64_t kLongestPauseMilliseconds =
    kLongestRecordedPauseMicroseconds / 1000 + RecordingTabletService::kPauseMilliseconds;
constexpr int64_t kPauseNanoseconds = int64_t{RecordingTabletService::kPauseMilliseconds} * 1'000'000;
}  // namespace

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
}

bool RecordingTabletService::OpenContext(PacketHandler handler) {
  if (!DecodingTabletService::OpenContext(std::move(handler))) return false;
  open_ = true;
  next_ = 0;
  passStart_ = MonotonicNow() + kPauseNanoseconds;
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
  int64_t now = MonotonicNow();
  while (next_ < events_.size() && passStart_ + offsets_[next_] * 1000 <= now) {
    Feed(events_[next_], passStart_ + offsets_[next_] * 1000);
    ++next_;
  }
  if (next_ == events_.size()) {
    // The pen is put away: a pressing one is lifted, and the next pass
    // starts with the device as it was described.
    const EvdevDeviceInfo device = core_.Device();
    DeviceLost();
    core_.SetDevice(device);
    next_ = 0;
    now = MonotonicNow();
    passStart_ = now + kPauseNanoseconds;
  }
  playing_ = false;
  if (!open_) return;  // closed while a packet's message box was open
  const int64_t waitMilliseconds = (passStart_ + offsets_[next_] * 1000 - now + 999'999) / 1'000'000;
  timer_.start(static_cast<int>(std::clamp<int64_t>(waitMilliseconds, 0, kLongestPauseMilliseconds)));
}
