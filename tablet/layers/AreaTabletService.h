// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

class QInputEvent;

#include "tablet/EventTimeMapper.h"
#include "tablet/PacketDelivery.h"
#include "tablet/layers/WidgetTabletService.h"

/// The context of a layer that reads the pen from events over the tablet area:
/// one event filter on the application, installed while the context is open,
/// and the delivery of its packets to the window.
class AreaTabletService : public QObject, public WidgetTabletService {
  Q_OBJECT

 public:
  ~AreaTabletService() override;

  bool ServicesPresent() const override { return true; }
  std::string ToolName(uint32_t cursor) const override;
  void SetWindow(QWidget* window, QWidget* tabletArea) override;
  bool OpenContext(PacketHandler handler) override;
  void Enable(bool enable) override;
  void Overlap(bool toTop) override;
  void Close() override;

 protected:
  /// Lets the area report the events this layer reads (hover moves).
  virtual void PrepareArea(QWidget& area) = 0;
  /// The screen size the area is mapped onto, read afresh for every packet.
  QSize ScreenSize() const;
  /// When `event` happened, on CLOCK_MONOTONIC (from its time stamp).
  int64_t EventTime(const QInputEvent& event);

  QPointer<QWidget> window_;
  QPointer<QWidget> area_;
  PacketDelivery delivery_;

 private:
  EventTimeMapper eventClock_;

  void RemoveFilter();
};
