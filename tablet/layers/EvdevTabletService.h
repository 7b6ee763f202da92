// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "tablet/EvdevFrameDecoder.h"
#include "tablet/PacketDelivery.h"
#include "tablet/layers/WidgetTabletService.h"

class QSocketNotifier;
struct libevdev;

/// The whole tablet read from its evdev node: the surface mapped onto the
/// whole screen, packets delivered while the window is active wherever the
/// pointer is. Events are read on the window's thread as the node becomes
/// readable. A tablet that goes away lifts the pen and is looked for again
/// every second until it returns. The pen's own pointer events over the
/// tablet area are taken away, so that playing there clicks nothing.
class EvdevTabletService : public QObject, public WidgetTabletService {
  Q_OBJECT

 public:
  /// How often a lost tablet is looked for.
  static constexpr int kRescanMilliseconds = 1000;

  /// Opens the pen node at `path` (a node EvdevTabletFinder found readable).
  explicit EvdevTabletService(std::string path);
  ~EvdevTabletService() override;

  /// True when the node could be opened as a tablet pen.
  bool ServicesPresent() const override { return present_; }
  /// "WACOM " and the product name for a Wacom tablet, else the device's name.
  std::string DeviceName() const override { return name_; }
  std::string ToolName(uint32_t cursor) const override;
  /// Tenths of a degree when the pen reports both tilt axes.
  OrientationAxes Orientation() const override;
  void SetWindow(QWidget* window, QWidget* tabletArea) override;
  bool OpenContext(PacketHandler handler) override;
  void Enable(bool enable) override;
  void Overlap(bool toTop) override;
  void Close() override;

  /// The name reported for a device: "WACOM " and the product name when the
  /// vendor is Wacom (0x056a), the device's own name otherwise.
  static std::string ReportedName(const std::string& deviceName, int vendorId);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OpenDevice(const std::string& path);
  void CloseDevice();
  void ReadEvents();
  void FeedCurrentState();
  void Handle(const input_event& event);
  void Deliver(const std::optional<TabletPacket>& packet);
  void LoseDevice();
  void LookForDevice();

  std::string path_;
  std::string name_;
  bool present_ = false;
  int fd_ = -1;
  libevdev* device_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer rescanTimer_;
  std::unique_ptr<EvdevFrameDecoder> decoder_;
  EvdevTabletAxes axes_;
  PacketDelivery delivery_;
  QPointer<QWidget> window_;
  QPointer<QWidget> area_;
};
