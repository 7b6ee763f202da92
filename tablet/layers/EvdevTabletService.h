// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "tablet/layers/DecodingTabletService.h"

class QSocketNotifier;
struct libevdev;

/// The whole tablet read from its evdev node: the surface mapped onto the
/// whole screen, packets delivered while the window is active wherever the
/// pointer is. Events are read on the window's thread as the node becomes
/// readable. A tablet that goes away lifts the pen and is looked for again
/// every second until it returns. The pen's own pointer events over the
/// tablet area are taken away, so that playing there clicks nothing.
class EvdevTabletService : public DecodingTabletService {
  Q_OBJECT

 public:
  /// How often a lost tablet is looked for.
  static constexpr int kRescanMilliseconds = 1000;

  /// Opens the pen node at `path` (a node EvdevTabletFinder found readable);
  /// `models` names each tablet taken by its node.
  explicit EvdevTabletService(std::string path, std::shared_ptr<const TabletModelDatabase> models = nullptr);
  ~EvdevTabletService() override;

  bool OpenContext(PacketHandler handler) override;
  void Close() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OpenDevice(const std::string& path);
  void CloseDevice();
  void ReadEvents();
  /// When an event read now happened: its kernel time stamp when the node
  /// stamps on CLOCK_MONOTONIC, else the moment it is read.
  int64_t EventTime(const input_event& event) const;
  void FeedCurrentState();
  void LoseDevice();
  void LookForDevice();

  int fd_ = -1;
  libevdev* device_ = nullptr;
  bool monotonicStamps_ = false;  ///< the node stamps its events on CLOCK_MONOTONIC
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer rescanTimer_;
};
