// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "midi/MidiOutService.h"
#include "model/MessageSink.h"
#include "tablet/layers/WidgetTabletService.h"
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

/// MIDI output with devices "Synth 0", "Synth 1", ... that records every
/// message sent. A test changes the system's destinations with Announce.
class FakeMidiOut : public MidiOutService {
 public:
  explicit FakeMidiOut(unsigned devices = 2) {
    for (unsigned i = 0; i < devices; ++i) names_.push_back("Synth " + std::to_string(i));
    systemNames_ = names_;
  }
  unsigned GetNumDevs() override { return static_cast<unsigned>(names_.size()); }
  std::string GetDeviceName(unsigned device) override { return device < names_.size() ? names_[device] : ""; }
  bool Open(unsigned device) override { return open_ = device < names_.size(); }
  bool Close() override { return !(open_ = false); }
  bool SendShortMsg(uint32_t packed) override {
    if (open_) sent.push_back(packed);
    return open_;
  }
  void RefreshDevices() override { names_ = systemNames_; }
  void SetDevicesChangedHandler(std::function<void()> handler) override { changed_ = std::move(handler); }

  /// The system's destinations become `names`; it reports so from a thread
  /// of its own, as a MIDI system does. Silent: RefreshDevices still finds them.
  void Announce(std::vector<std::string> names, bool report = true) {
    systemNames_ = std::move(names);
    if (report && changed_) std::thread(changed_).join();
  }
  std::vector<uint32_t> sent;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> systemNames_;
  std::function<void()> changed_;
  bool open_ = false;
};

/// Message boxes recorded instead of shown; the Yes/No question answers `answer`.
class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon) override { shown.emplace_back(text, icon); }
  bool AskYesNo(std::string_view text) override {
    shown.emplace_back(text, MessageIcon::Question);
    return answer;
  }
  std::vector<std::pair<std::string, MessageIcon>> shown;
  bool answer = true;
};

/// A tablet whose answers a test sets, and whose packets a test delivers.
class ScriptedTablet : public WidgetTabletService {
 public:
  bool ServicesPresent() const override { return servicesPresent; }
  std::string DeviceName() const override { return deviceName; }
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
  OrientationAxes axes{true, 3600u << 16, 3600u << 16, 900};
  int openCalls = 0, overlapCalls = 0, closeCalls = 0;
  PacketHandler handler;
  QWidget* window = nullptr;
};

/// A main window over the fakes above, not yet initialised.
struct WindowOverFakes {
  FakeMidiOut midi{2};
  ScriptedTablet tablet;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  std::unique_ptr<CTabletMidiDlg> window = std::make_unique<CTabletMidiDlg>(
      midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{}, copyBuffer, &messages);
};
