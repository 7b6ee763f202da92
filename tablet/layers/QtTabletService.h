// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "tablet/PacketDelivery.h"
#include "tablet/TabletService.h"

class QTabletEvent;

/// The tablet as Qt reports it: tablet events over the tablet area, the area
/// mapped onto the screen range. The pen plays what it is over; everywhere
/// else in the window it is an ordinary pointer.
class QtTabletService : public QObject, public TabletService {
  Q_OBJECT

 public:
  QtTabletService();
  ~QtTabletService() override;

  bool ServicesPresent() const override { return true; }
  /// The first tablet pen Qt knows of; "WACOM " and its product name for a
  /// Wacom pen; empty when Qt lists none.
  std::string DeviceName() const override;
  std::string ToolName(uint32_t cursor) const override;
  /// Orientation when a pen Qt knows of reports tilt.
  OrientationAxes Orientation() const override;
  bool OpenContext(QWidget* window, QWidget* tabletArea, PacketHandler handler) override;
  void Enable(bool enable) override;
  void Overlap(bool toTop) override;
  void Close() override;

  /// The packet a tablet event over an area of the given size makes.
  static TabletPacket MakePacket(const QTabletEvent& event, QSize areaSize, QSize screenSize);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RemoveFilters();

  QPointer<QWidget> window_;
  QPointer<QWidget> area_;
  PacketDelivery delivery_;
};
