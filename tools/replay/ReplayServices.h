// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "midi/MidiOutService.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"
#include "model/ToolNameSource.h"
#include "tools/replay/ReplayOutput.h"

/// Output devices for the runner: N devices named "Replay MIDI out P" that open
/// when asked, never fail to close and accept every message while open,
/// printing each one.
class PrintingDevices : public MidiOutService {
 public:
  PrintingDevices(unsigned count, ReplayOutput& out) : count_(count), out_(out) {}
  unsigned GetNumDevs() override { return count_; }
  std::string GetDeviceName(unsigned device) override;
  bool Open(unsigned device) override;
  bool Close() override;
  bool SendShortMsg(uint32_t packed) override;
  bool IsConnectedTo(unsigned device) override { return open_ && device == device_; }

 private:
  unsigned count_;
  ReplayOutput& out_;
  bool open_ = false;
  unsigned device_ = 0;  ///< the open one
};

/// A real MIDI system behind the runner: sends go to the real port (at once:
/// the runner has no clock) and every message it accepts is printed as well.
/// Ports open by their number, as the runner's own devices do; a connection
/// that fails after the open is reported when the answer comes.
class PrintingRealPort : public MidiOutService {
 public:
  PrintingRealPort(std::unique_ptr<MidiOutService> real, ReplayOutput& out) : real_(std::move(real)), out_(out) {}
  unsigned GetNumDevs() override { return real_->GetNumDevs(); }
  std::string GetDeviceName(unsigned device) override { return real_->GetDeviceName(device); }
  std::string GetStableDeviceName(unsigned device) override { return real_->GetStableDeviceName(device); }
  bool Open(unsigned device) override { return real_->Open(device); }
  bool Close() override { return real_->Close(); }
  bool SendShortMsg(uint32_t packed) override;
  bool IsConnectedTo(unsigned device) override { return real_->IsConnectedTo(device); }
  void RefreshDevices() override { real_->RefreshDevices(); }
  void SetDevicesChangedHandler(std::function<void()> handler) override {
    real_->SetDevicesChangedHandler(std::move(handler));
  }
  MidiLink Link() override { return real_->Link(); }

 private:
  std::unique_ptr<MidiOutService> real_;
  ReplayOutput& out_;
};

/// Message boxes answered at once: printed, and the Reset question answered Yes.
class PrintingMessages : public MessageSink {
 public:
  explicit PrintingMessages(ReplayOutput& out) : out_(out) {}
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  bool AskYesNo(std::string_view text) override;

 private:
  ReplayOutput& out_;
};

/// Displays: printed with --show-displays, otherwise ignored; no controls.
class PrintingDisplay : public EngineDisplay {
 public:
  PrintingDisplay(ReplayOutput& out, bool showDisplays) : out_(out), showDisplays_(showDisplays) {}
  void SetDisplayText(Readout readout, std::string_view text) override;
  void InvalidateTabletArea() override {}
  void InvalidateWindow() override {}
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration&) override {}

 private:
  ReplayOutput& out_;
  bool showDisplays_;
};

/// The tool names a tablet reports: 0 puck, 1 pen tip, 2 eraser.
class StandardToolNames : public ToolNameSource {
 public:
  std::string ToolName(uint32_t cursor) const override;
};
