// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "tablet/layers/WidgetTabletService.h"
#include "tests/support/EngineFakes.h"
#include "ui/window/CTabletMidiDlg.h"

/// Colours in test failures as RGB triples.
inline void PrintTo(const QColor& c, std::ostream* out) {
  *out << "RGB(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

/// The colour of a slot's tab.
inline QColor SlotColor(int slot) {
  const Rgb c = tabColors[static_cast<size_t>(slot)];
  return QColor(c.r, c.g, c.b);
}

/// Runs the event loop until `done` holds or five seconds pass; whether it held.
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

/// A tablet whose answers a test sets, and whose packets a test delivers.
class ScriptedTablet : public WidgetTabletService {
 public:
  bool ServicesPresent() const override { return servicesPresent; }
  std::string DeviceName() const override { return deviceName; }
  std::string ModelName() const override { return modelName.empty() ? deviceName : modelName; }
  std::string ToolName(uint32_t cursor) const override { return "Tool " + std::to_string(cursor); }
  OrientationAxes Orientation() const override { return axes; }
  void SetWindow(QWidget* w, QWidget*) override { window = w; }
  bool OpenContext(PacketHandler h) override {
    ++openCalls;
    if (opens) handler = std::move(h);
    return opens;
  }
  void Enable(bool enable) override { enabled = enable; }
  void Overlap(bool) override { ++overlapCalls; }
  void Close() override { ++closeCalls; }
  void Deliver(const TabletPacket& packet) {
    if (handler) handler(packet);
  }

  bool servicesPresent = true, opens = true, enabled = true;
  std::string deviceName = "WACOM Test Tablet";
  std::string modelName;  ///< empty: the tablet database does not know the model
  OrientationAxes axes{true, 3600u << 16, 3600u << 16, 900};
  int openCalls = 0, overlapCalls = 0, closeCalls = 0;
  PacketHandler handler;
  QWidget* window = nullptr;
};

/// A main window over the fakes above, not yet initialised.
struct WindowOverFakes {
  RecordingMidi midi{2};
  ScriptedTablet tablet;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  std::unique_ptr<CTabletMidiDlg> window = std::make_unique<CTabletMidiDlg>(
      midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{}, copyBuffer, &messages);
};
