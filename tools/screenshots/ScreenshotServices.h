// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "midi/MidiOutService.h"
#include "model/MessageSink.h"
#include "tablet/layers/WidgetTabletService.h"

/// A MIDI output with two named destinations that keeps what it is sent, so
/// that a picture shows a filled port box and a run can print its messages.
class KeptMidiOut : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 2; }
  std::string GetDeviceName(unsigned device) override { return device < 2 ? "Synth " + std::to_string(device) : ""; }
  bool Open(unsigned device) override { return device < 2; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t packed) override {
    sent.push_back(packed);
    return true;
  }
  std::vector<uint32_t> sent;
};

/// Message boxes printed instead of shown; the Yes/No question answers Yes.
class PrintedMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon) override {
    std::printf("message: %.*s\n", int(text.size()), text.data());
  }
  bool AskYesNo(std::string_view text) override {
    ShowMessage(text, MessageIcon::Question);
    return true;
  }
};

/// A tablet that holds the pen where a picture wants it.
class PosedTablet : public WidgetTabletService {
 public:
  bool ServicesPresent() const override { return true; }
  std::string DeviceName() const override { return "WACOM Test Tablet"; }
  std::string ToolName(uint32_t cursor) const override { return cursor == 2 ? "Eraser" : "Pressure Stylus"; }
  OrientationAxes Orientation() const override { return {true, 3600u << 16, 3600u << 16, 900}; }
  void SetWindow(QWidget*, QWidget*) override {}
  bool OpenContext(PacketHandler h) override {
    handler_ = std::move(h);
    return true;
  }
  void Enable(bool) override {}
  void Overlap(bool) override {}
  void Close() override {}
  void Pose(const TabletPacket& packet) {
    if (handler_) handler_(packet);
  }

 private:
  PacketHandler handler_;
};
