// SPDX-License-Identifier: MIT
#include "tablet/EvdevFrameDecoder.h"

#include <numbers>

#include "tablet/TabletScaling.h"
#include "tablet/TiltConversion.h"

namespace {

// Tilt axes without a resolution count whole degrees.
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

double TiltRadians(std::optional<int32_t> value, const EvdevAxisInfo& axis) {
  if (!value) return 0.0;
  // Some devices report tilt as 0..max with upright in the middle.
  const double centre =
      (axis.minimum < 0 && axis.maximum > 0) ? 0.0 : (static_cast<double>(axis.minimum) + axis.maximum) / 2.0;
  const double perRadian = axis.resolution > 0 ? axis.resolution : kDegreesPerRadian;
  return (*value - centre) / perRadian;
}

bool SameExceptTime(TabletPacket a, TabletPacket b) {
  a.time = b.time = 0;
  return a == b;
}

}  // namespace

EvdevFrameDecoder::EvdevFrameDecoder(const EvdevTabletAxes& axes, bool namesItsTools)
    : axes_(axes), namesItsTools_(namesItsTools) {
  ForgetPen();
}

void EvdevFrameDecoder::SetScreenSize(int32_t width, int32_t height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

std::optional<TabletPacket> EvdevFrameDecoder::Feed(const input_event& event) {
  // Milliseconds wrapping at 32 bits, like the driver's; unsigned, since
  // recorded time stamps may hold any value.
  state_.time = static_cast<uint32_t>(static_cast<uint64_t>(event.input_event_sec) * 1000u +
                                      static_cast<uint64_t>(event.input_event_usec) / 1000u);
  switch (event.type) {
    case EV_ABS:
      switch (event.code) {
        case ABS_X: state_.x = event.value; break;
        case ABS_Y: state_.y = event.value; break;
        case ABS_PRESSURE: state_.pressure = event.value; break;
        case ABS_TILT_X: state_.tiltX = event.value; break;
        case ABS_TILT_Y: state_.tiltY = event.value; break;
        default: break;
      }
      break;
    case EV_KEY: {
      const bool down = event.value != 0;
      switch (event.code) {
        case BTN_TOOL_PEN:
        case BTN_TOOL_BRUSH:
        case BTN_TOOL_PENCIL:
        case BTN_TOOL_AIRBRUSH: SetTool(PenCursor::kPen, down); break;
        case BTN_TOOL_RUBBER: SetTool(PenCursor::kEraser, down); break;
        case BTN_TOOL_MOUSE:
        case BTN_TOOL_LENS: SetTool(PenCursor::kPuck, down); break;
        case BTN_TOUCH:
        case BTN_LEFT: SetButton(PenButton::kTip, down); break;
        case BTN_STYLUS:
        case BTN_RIGHT: SetButton(PenButton::kBarrel, down); break;
        case BTN_STYLUS2:
        case BTN_MIDDLE: SetButton(PenButton::kSecondBarrel, down); break;
        default: break;
      }
      break;
    }
    case EV_SYN:
      // After SYN_DROPPED the reader replays the device state as ordinary
      // events up to a SYN_REPORT, so only the report itself matters here.
      if (event.code == SYN_REPORT) return EndFrame();
      break;
    default: break;
  }
  return std::nullopt;
}

std::optional<TabletPacket> EvdevFrameDecoder::DeviceLost() {
  auto lift = Lift();
  ForgetPen();
  lastPacket_.reset();
  return lift;
}

void EvdevFrameDecoder::ForgetPen() {
  state_ = EvdevPenState{};
  // Nothing tells when such a pen comes near: whatever it reports, it is there.
  if (!namesItsTools_) state_.toolsInRange = 1u << PenCursor::kPen;
}

void EvdevFrameDecoder::SetTool(uint32_t cursor, bool inRange) {
  const uint32_t bit = 1u << cursor;
  if (inRange) {
    state_.toolsInRange |= bit;
    state_.cursor = cursor;
    return;
  }
  state_.toolsInRange &= ~bit;
  // A tool flip may announce the new tool before the old one leaves.
  if (state_.cursor == cursor && state_.toolsInRange != 0) {
    for (uint32_t other = 0; other <= PenCursor::kLast; ++other) {
      if (state_.toolsInRange & (1u << other)) state_.cursor = other;
    }
  }
}

void EvdevFrameDecoder::SetButton(uint32_t bit, bool down) {
  if (down) {
    state_.buttons |= bit;
  } else {
    state_.buttons &= ~bit;
  }
}

std::optional<TabletPacket> EvdevFrameDecoder::EndFrame() {
  // Out of proximity the device zeroes its axes; nothing but a lift is reported.
  if (state_.toolsInRange == 0) return Lift();
  TabletPacket packet = MakePacket();
  if (lastPacket_ && SameExceptTime(packet, *lastPacket_)) return std::nullopt;
  lastPacket_ = packet;
  lastX_ = state_.x;
  lastY_ = state_.y;
  return packet;
}

std::optional<TabletPacket> EvdevFrameDecoder::Lift() {
  if (!lastPacket_ || (lastPacket_->normalPressure == 0 && lastPacket_->buttons == 0)) return std::nullopt;
  lastPacket_->normalPressure = 0;
  lastPacket_->buttons = 0;
  lastPacket_->time = state_.time;
  // Where the pen was on the tablet, on the screen of this moment: the screen
  // may have changed since that packet.
  lastPacket_->x = MapAxisToScreen(lastX_, axes_.x.minimum, axes_.x.maximum, screenWidth_);
  lastPacket_->y = MapAxisToScreen(lastY_, axes_.y.minimum, axes_.y.maximum, screenHeight_);
  return lastPacket_;
}

TabletPacket EvdevFrameDecoder::MakePacket() const {
  TabletPacket packet;
  packet.time = state_.time;
  packet.cursor = state_.cursor;
  packet.buttons = state_.buttons;
  packet.x = MapAxisToScreen(state_.x, axes_.x.minimum, axes_.x.maximum, screenWidth_);
  packet.y = MapAxisToScreen(state_.y, axes_.y.minimum, axes_.y.maximum, screenHeight_);
  packet.normalPressure =
      axes_.pressure.present ? ScalePressure(state_.pressure, axes_.pressure.minimum, axes_.pressure.maximum) : 0;
  if (axes_.HasTilt()) {
    const PenOrientation orientation =
        TiltToOrientation(TiltRadians(state_.tiltX, axes_.tiltX), TiltRadians(state_.tiltY, axes_.tiltY));
    packet.azimuth = orientation.azimuth;
    packet.altitude = orientation.altitude;
  }
  return packet;
}
