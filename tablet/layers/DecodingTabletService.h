// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>

#include "tablet/EvdevTabletCore.h"
#include "tablet/TabletModelDatabase.h"
#include "tablet/layers/WidgetTabletService.h"

/// A layer whose pen events go through the evdev layer's recognition and
/// decoding (EvdevTabletCore): a tablet node, or a recording of one. The
/// whole surface is mapped onto the screen the window is on. The device is
/// shown by its model when the tablet database (if there is one) knows it.
class DecodingTabletService : public QObject, public WidgetTabletService {
  Q_OBJECT

 public:
  bool ServicesPresent() const override { return core_.ServicesPresent(); }
  std::string DeviceName() const override { return core_.DeviceName(); }
  std::string ModelName() const override { return model_.empty() ? core_.DeviceName() : model_; }
  std::string ToolName(uint32_t cursor) const override { return core_.ToolName(cursor); }
  OrientationAxes Orientation() const override { return core_.Orientation(); }
  void SetWindow(QWidget* window, QWidget* tabletArea) override;
  bool OpenContext(PacketHandler handler) override { return core_.OpenContext(std::move(handler)); }
  void Enable(bool enable) override { core_.Enable(enable); }
  void Overlap(bool toTop) override { core_.Overlap(toTop); }
  void Close() override { core_.Close(); }

 protected:
  explicit DecodingTabletService(std::shared_ptr<const TabletModelDatabase> models) : models_(std::move(models)) {}
  /// One event of the device, scaled to the window's screen of the moment;
  /// `eventTime` is when it happened, on CLOCK_MONOTONIC.
  void Feed(const input_event& event, int64_t eventTime);
  /// The device went away (or a recording ended): a pressing pen is lifted.
  void DeviceLost();

  EvdevTabletCore core_;
  std::shared_ptr<const TabletModelDatabase> models_;  ///< may be null: no model is looked up
  std::string model_;                                  ///< the database's name for the device taken; empty when unknown
  QPointer<QWidget> window_;
  QPointer<QWidget> area_;
};
