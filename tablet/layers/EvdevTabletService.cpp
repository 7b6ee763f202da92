// SPDX-License-Identifier: MIT
#include "tablet/layers/EvdevTabletService.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <ctime>
#include <utility>

#include "tablet/EventTime.h"

#include "tablet/layers/EvdevTabletFinder.h"
#include "tablet/layers/LibevdevDevice.h"

EvdevTabletService::EvdevTabletService(std::string path, std::shared_ptr<const TabletModelDatabase> models)
    : DecodingTabletService(std::move(models)) {
  rescanTimer_.setInterval(kRescanMilliseconds);
  QObject::connect(&rescanTimer_, &QTimer::timeout, &rescanTimer_, [this] { LookForDevice(); });
  OpenDevice(path);
}

EvdevTabletService::~EvdevTabletService() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
  CloseDevice();
}

bool EvdevTabletService::OpenContext(PacketHandler handler) {
  if (!DecodingTabletService::OpenContext(std::move(handler))) return false;
  if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
  return true;
}

void EvdevTabletService::Close() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
  DecodingTabletService::Close();
  rescanTimer_.stop();
  CloseDevice();
}

bool EvdevTabletService::OpenDevice(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return false;
  if (libevdev_new_from_fd(fd_, &device_) != 0 || !core_.SetDevice(DescribeDevice(device_))) {
    CloseDevice();
    return false;
  }
  model_ = models_ ? models_->ModelAtNode(path).value_or(std::string()) : std::string();
  // The kernel stamps events with the wall clock unless told otherwise; on
  // the monotonic clock a stamp says when the pen moved, whatever the clock
  // on the wall does meanwhile.
  monotonicStamps_ = libevdev_set_clock_id(device_, CLOCK_MONOTONIC) == 0;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { ReadEvents(); });
  FeedCurrentState();
  return true;
}

void EvdevTabletService::CloseDevice() {
  notifier_.reset();
  if (device_) libevdev_free(device_);
  device_ = nullptr;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void EvdevTabletService::FeedCurrentState() {
  // A pen already in proximity when the node opens is reported at once.
  static constexpr unsigned int kAxes[] = {ABS_X, ABS_Y, ABS_PRESSURE, ABS_TILT_X, ABS_TILT_Y};
  static constexpr unsigned int kKeys[] = {
      BTN_TOOL_PEN, BTN_TOOL_BRUSH, BTN_TOOL_PENCIL, BTN_TOOL_AIRBRUSH, BTN_TOOL_RUBBER, BTN_TOOL_MOUSE, BTN_TOOL_LENS,
      BTN_TOUCH,    BTN_STYLUS,     BTN_STYLUS2,     BTN_LEFT,          BTN_RIGHT,       BTN_MIDDLE};
  input_event event{};
  for (unsigned int code : kAxes) {
    if (!libevdev_has_event_code(device_, EV_ABS, code)) continue;
    event.type = EV_ABS;
    event.code = static_cast<uint16_t>(code);
    event.value = libevdev_get_event_value(device_, EV_ABS, code);
    Feed(event, 0);
  }
  for (unsigned int code : kKeys) {
    if (!libevdev_has_event_code(device_, EV_KEY, code)) continue;
    event.type = EV_KEY;
    event.code = static_cast<uint16_t>(code);
    event.value = libevdev_get_event_value(device_, EV_KEY, code);
    if (event.value != 0) Feed(event, 0);
  }
  event.type = EV_SYN;
  event.code = SYN_REPORT;
  event.value = 0;
  Feed(event, MonotonicNow());
}

int64_t EvdevTabletService::EventTime(const input_event& event) const {
  const int64_t now = MonotonicNow();
  if (!monotonicStamps_) return now;
  const int64_t stamp = EvdevEventTime(event);
  return stamp > 0 && stamp <= now ? stamp : now;
}

void EvdevTabletService::ReadEvents() {
  if (!device_) return;
  input_event event{};
  int status = LIBEVDEV_READ_STATUS_SUCCESS;
  while (device_) {
    status = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_NORMAL, &event);
    if (status == LIBEVDEV_READ_STATUS_SUCCESS) {
      Feed(event, EventTime(event));
    } else if (status == LIBEVDEV_READ_STATUS_SYNC) {
      // Events were dropped: libevdev replays the differences to the device state.
      Feed(event, EventTime(event));
      while ((status = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_SYNC, &event)) == LIBEVDEV_READ_STATUS_SYNC) {
        Feed(event, EventTime(event));
      }
    } else {
      break;
    }
  }
  if (device_ && status != -EAGAIN) LoseDevice();
}

void EvdevTabletService::LoseDevice() {
  // Losing the tablet lifts the pen, so no note keeps sounding.
  DeviceLost();
  // This runs inside the notifier's own signal: it goes once that is over.
  if (notifier_) {
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();
  }
  CloseDevice();
  rescanTimer_.start();
}

void EvdevTabletService::LookForDevice() {
  for (const EvdevTabletNode& node : EvdevTabletFinder::Find()) {
    if (node.readable && OpenDevice(node.path)) {
      rescanTimer_.stop();
      return;
    }
  }
}

bool EvdevTabletService::eventFilter(QObject* watched, QEvent* event) {
  // The pen also moves the pointer. Over the tablet area its packets do the
  // playing; a tip press there must not also become a left click in the
  // window, which would switch controller mode on. Taking the tablet event
  // keeps Qt from making a mouse event of it.
  const QEvent::Type type = event->type();
  if (area_ && watched == area_ &&
      (type == QEvent::TabletPress || type == QEvent::TabletMove || type == QEvent::TabletRelease)) {
    event->accept();
    return true;
  }
  return QObject::eventFilter(watched, event);
}
