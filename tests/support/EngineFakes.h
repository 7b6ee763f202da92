// SPDX-License-Identifier: MIT
// Recording stand-ins for the engine's surroundings.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/PerformanceEngine.h"
#include "midi/MidiOutService.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"
#include "model/ToolNameSource.h"

/// Output devices that record what was sent, as "90 3D 40" strings and as
/// packed numbers, with the time each was sent for. The list is "Device 0",
/// "Device 1", ...; a test may give the system another list, which
/// RefreshDevices takes, and announce it as a MIDI system does. With
/// `followsNames` a named destination is wanted even when not listed, as the
/// real services do; `link` is what the connection is said to be doing.
class RecordingMidi : public MidiOutService {
 public:
  explicit RecordingMidi(unsigned devices = 1) {
    for (unsigned i = 0; i < devices; ++i) names.push_back("Device " + std::to_string(i));
    systemNames = names;
  }
  unsigned GetNumDevs() override { return static_cast<unsigned>(names.size()); }
  std::string GetDeviceName(unsigned device) override { return device < names.size() ? names[device] : ""; }
  bool Open(unsigned device) override {
    ++opens;
    open = device < names.size() && !failOpen;
    openName = open ? names[device] : "";
    return open;
  }
  bool Close() override {
    ++closes;
    if (failClose) return false;
    open = false;
    return true;
  }
  bool IsConnectedTo(unsigned device) override { return open && device < names.size() && names[device] == openName; }
  bool FollowsNames() const override { return followsNames; }
  bool OpenNamed(const std::string& name, unsigned device) override {
    if (!followsNames || name.empty()) return Open(device);
    ++opens;
    open = true;
    openName = name;
    return true;
  }
  bool IsOpenOn(const std::string& name, unsigned device) override {
    return followsNames && !name.empty() ? open && openName == name : IsConnectedTo(device);
  }
  MidiLink Link() override { return link; }
  void RefreshDevices() override { names = systemNames; }
  void SetDevicesChangedHandler(std::function<void()> handler) override { changed = std::move(handler); }
  /// The system's destinations become `names`; it reports so from a thread of
  /// its own. Silent: RefreshDevices still finds them.
  void Announce(std::vector<std::string> names, bool report = true) {
    systemNames = std::move(names);
    if (report && changed) std::thread(changed).join();
  }
  bool SendShortMsg(uint32_t message) override {
    if (!open || failSends) return false;
    char text[9];
    std::snprintf(text, sizeof text, "%02X %02X %02X", message & 0xFF, (message >> 8) & 0xFF, (message >> 16) & 0xFF);
    if (refused.count(text)) return false;
    sent.emplace_back(text);
    packed.push_back(message);
    return true;
  }
  bool SendShortMsgAt(uint32_t message, int64_t time) override {
    if (!SendShortMsg(message)) return false;
    times.push_back(time);
    return true;
  }
  std::vector<std::string> TakeSent() { return std::exchange(sent, {}); }

  std::vector<std::string> names;        ///< the device list as last taken
  std::vector<std::string> systemNames;  ///< what the system offers now
  std::string openName;                  ///< the destination of the open device
  int closes = 0;
  bool open = false;
  bool failClose = false;
  bool failOpen = false;  ///< a listed destination refuses the connection
  bool failSends = false;
  std::set<std::string> refused;  ///< messages that fail to send, as "B0 0B 00"
  int opens = 0;
  std::vector<std::string> sent;
  std::vector<uint32_t> packed;
  std::vector<int64_t> times;  ///< the pen time of each message sent (0: at once)
  bool followsNames = false;
  MidiLink link = MidiLink::Connected;
  std::function<void()> changed;  ///< the owner's handler for the system's reports
};

/// Message boxes recorded with their icons instead of shown; the Yes/No
/// question is answered with `answer`. MIDI trouble is also counted apart
/// (and shown as a box, as by default), and so is its end.
class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon) override {
    shown.emplace_back(text, icon);
    if (onShow) onShow();
  }
  void ReportTrouble(std::string_view text) override {
    troubles.emplace_back(text);
    MessageSink::ReportTrouble(text);
  }
  void TroubleResolved() override { ++resolved; }
  bool AskYesNo(std::string_view text) override {
    shown.emplace_back(text, MessageIcon::Question);
    return answer;
  }
  /// The texts shown since the last call.
  std::vector<std::string> TakeShown() {
    std::vector<std::string> texts;
    for (const auto& [text, icon] : std::exchange(shown, {})) texts.push_back(text);
    return texts;
  }

  bool answer = true;
  std::function<void()> onShow;  ///< runs inside a box, as a nested message loop would
  std::vector<std::pair<std::string, MessageIcon>> shown;
  std::vector<std::string> troubles;
  int resolved = 0;
};

/// Display texts recorded with the readout they went to; the tablet area's
/// repaints counted.
class RecordingDisplay : public EngineDisplay {
 public:
  using Text = std::pair<Readout, std::string>;
  void SetDisplayText(Readout readout, std::string_view text) override { texts.emplace_back(readout, text); }
  void InvalidateTabletArea() override { ++areaRepaints; }
  void InvalidateWindow() override {}
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration&) override {}
  void ShowPicturePath(const Configuration& config) override { picturePaths.push_back(config.picture); }
  std::vector<Text> TakeTexts() { return std::exchange(texts, {}); }

  std::vector<Text> texts;
  std::vector<std::string> picturePaths;  ///< as the display was told them
  int areaRepaints = 0;
};

class FixedToolNames : public ToolNameSource {
 public:
  std::string ToolName(uint32_t cursor) const override { return "Tool " + std::to_string(cursor); }
};

/// An engine started as the window starts it, with recorders around it.
struct EngineRig {
  explicit EngineRig(unsigned devices = 1) : midi(devices), engine(midi, messages, display, tools, copyBuffer) {
    engine.Start();
    engine.MarkInitialised();
    midi.sent.clear();
    messages.shown.clear();
    display.texts.clear();
  }

  /// One packet at screen position (x, y) on the default 1920 x 1080 screen.
  void Packet(uint32_t cursor, uint32_t buttons, int32_t x, int32_t y, uint32_t pressure, int32_t azimuth = 0,
              int32_t altitude = 0, int32_t twist = 0) {
    engine.ProcessPacket({0, cursor, buttons, x, y, pressure, azimuth, altitude, twist}, geometry);  // time 0
  }

  RecordingMidi midi;
  RecordingMessages messages;
  RecordingDisplay display;
  FixedToolNames tools;
  CopyBuffer copyBuffer;
  PerformanceEngine engine;
  PacketGeometry geometry;
};
