// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "midi/MidiOutService.h"
#include "model/MessageSink.h"
#include "tablet/layers/WidgetTabletService.h"

/// Colours in test failures as RGB triples.
inline void PrintTo(const QColor& c, std::ostream* out) {
  *out << "RGB(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

/// MIDI output with a given number of devices that records every message sent.
class FakeMidiOut : public MidiOutService {
 public:
  explicit FakeMidiOut(unsigned devices = 2) : devices_(devices) {}
  unsigned GetNumDevs() override { return devices_; }
  std::string GetDeviceName(unsigned device) override { return "Synth " + std::to_string(device); }
  bool Open(unsigned device) override { return open_ = device < devices_; }
  bool Close() override { return !(open_ = false); }
  bool SendShortMsg(uint32_t packed) override {
    if (open_) sent.push_back(packed);
    return open_;
  }
  std::vector<uint32_t> sent;

 private:
  unsigned devices_;
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
  void SetWindow(QWidget* w, QWidget* area) override {
    window = w;
    tabletArea = area;
  }
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
  QWidget* tabletArea = nullptr;
};
