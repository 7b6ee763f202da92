// SPDX-License-Identifier: MIT
// The evdev frame decoder with what the engine relies on checked at every
// step, for the targets that feed it events from arbitrary bytes: every
// packet inside the ranges every tablet layer delivers (before any clamping),
// packets only at the end of a frame, and a pen that was pressing or holding a
// button lifted, where it was, when it leaves proximity or the device goes.
#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "tablet/EvdevDeviceInfo.h"
#include "tablet/EvdevFrameDecoder.h"

class CheckedDecoder {
 public:
  explicit CheckedDecoder(const EvdevDeviceInfo& device)
      : decoder_(device.axes, NamesItsTools(device)), namesItsTools_(NamesItsTools(device)) {}

  void SetScreenSize(int32_t width, int32_t height) {
    width_ = width;
    height_ = height;
    decoder_.SetScreenSize(width, height);
  }

  void Feed(const input_event& event) {
    if (event.type == EV_KEY && IsToolCode(event.code)) toolsHeld_.set(event.code - kFirstToolCode, event.value != 0);
    const std::optional<TabletPacket> packet = decoder_.Feed(event);
    const bool endsFrame = event.type == EV_SYN && event.code == SYN_REPORT;
    Check(endsFrame || !packet);
    // With every tool released the pen is out of proximity, however the
    // decoder groups tools into cursors: only the lift of a pressing pen.
    if (endsFrame && namesItsTools_ && toolsHeld_.none()) {
      CheckLift(packet);
    } else if (packet) {
      CheckPacket(*packet);
      // A frame that changes nothing makes no packet.
      Check(!last_ || !SameExceptTime(*packet, *last_));
      Remember(*packet);
    }
  }

  void DeviceLost() {
    CheckLift(decoder_.DeviceLost());
    toolsHeld_.reset();
    last_.reset();  // a device that comes back starts afresh
  }

 private:
  static constexpr unsigned kFirstToolCode = BTN_TOOL_PEN;
  static constexpr unsigned kLastToolCode = BTN_TOOL_LENS;
  static bool IsToolCode(unsigned code) { return code >= kFirstToolCode && code <= kLastToolCode; }
  static bool IsDown(const TabletPacket& p) { return p.normalPressure != 0 || p.buttons != 0; }
  static bool SameExceptTime(TabletPacket a, TabletPacket b) {
    a.time = b.time = 0;
    return a == b;
  }
  static void Check(bool condition) {
    if (!condition) std::abort();
  }

  void CheckPacket(const TabletPacket& p) const {
    Check(p.x >= 0 && p.x < width_ && p.y >= 0 && p.y < height_);
    Check(p.normalPressure <= kMaxPacketPressure);
    Check(p.azimuth >= 0 && p.azimuth <= 3599 && p.altitude >= 0 && p.altitude <= 900);
    Check(p.cursor <= PenCursor::kLast && (p.buttons & ~PenButton::kAll) == 0);
  }

  void Remember(const TabletPacket& packet) {
    last_ = packet;
    lastWidth_ = width_;
    lastHeight_ = height_;
  }

  // A pen that was down is lifted where it was (on the screen of this moment),
  // with the same tool; a pen that was not gives nothing.
  void CheckLift(const std::optional<TabletPacket>& lift) {
    if (!last_ || !IsDown(*last_)) {
      Check(!lift);
      return;
    }
    Check(lift && lift->normalPressure == 0 && lift->buttons == 0 && lift->cursor == last_->cursor);
    CheckPacket(*lift);
    if (width_ == lastWidth_ && height_ == lastHeight_) Check(lift->x == last_->x && lift->y == last_->y);
    Remember(*lift);
  }

  EvdevFrameDecoder decoder_;
  bool namesItsTools_;
  int32_t width_ = 1920;
  int32_t height_ = 1080;
  std::bitset<kLastToolCode - kFirstToolCode + 1> toolsHeld_;  ///< tool codes whose last value was not 0
  std::optional<TabletPacket> last_;                           ///< the packet the engine saw last
  int32_t lastWidth_ = 0;                                      ///< the screen it was made for
  int32_t lastHeight_ = 0;
};
