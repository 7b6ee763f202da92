// SPDX-License-Identifier: MIT
// The packet engine: every pen sample is compared with the previous one and
// each change becomes control changes (controller mode) or notes (note mode),
// with the pitch bend and channel pressure rows of a pressing pen among them.
#include <charconv>

#include "engine/MapValue.h"
#include "engine/PerformanceEngine.h"
#include "engine/Truncation.h"
#include "picture/ColorSampling.h"

namespace {
// Tilt and angle constants for orientation in tenths of a degree: altitudes
// 200..900 cover the tilt range, azimuths 0..3599 one turn. Single-precision
// values, multiplied in double precision.
constexpr double kTiltPerTenth = static_cast<double>(0.18142857f);
constexpr double kTurnPerTenth = static_cast<double>(0.00027777778f);
constexpr int32_t kLowestTiltAltitude = 200;

// 32-bit signed multiply that wraps instead of overflowing.
int32_t WrappingMultiply(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

int32_t ScaleToArea(int32_t areaSize, int32_t position, int32_t screenSize) {
  return WrappingMultiply(areaSize, position) / (screenSize > 0 ? screenSize : 1);
}

float Normalise(int32_t position, int32_t screenSize) {
  const int32_t last = screenSize > 1 ? screenSize - 1 : 1;
  return static_cast<float>(position) / static_cast<float>(last);
}

// Writes an unsigned number into a small buffer without allocating.
template <typename T>
std::string_view FormatNumber(char (&buffer)[16], T value) {
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, static_cast<size_t>(result.ptr - buffer)};
}
}  // namespace

bool PerformanceEngine::RowSends(int input) const {
  const Configuration& c = configs_[currentConfig_];
  if (c.cc[input] == kNoController) return false;
  if (controllerMode_) return true;
  // While notes play, only expression: a pressing pen bends and swells them.
  return IsExpressionController(c.cc[input]) && c.playNotes && pen_.pressure > 0;
}

void PerformanceEngine::SendController(int input, uint8_t value) {
  const Configuration& c = Current();
  const uint8_t out = MapValue(value, c.min[input], c.max[input], c.map[input]);
  channels_.SendRowValue(c, c.cc[input], out);
  char buffer[16];
  display_.SetDisplayText(ValueReadout(input), FormatNumber(buffer, static_cast<int>(out)));
}

void PerformanceEngine::ProcessPacket(const TabletPacket& packet, const PacketGeometry& geometry) {
  if (callDepth_ > 0) {
    waitingPackets_.Add(packet, geometry);
    return;
  }
  const Call call(*this);
  RunPacketStep(packet, geometry);
}

void PerformanceEngine::RunPacketStep(const TabletPacket& packet, const PacketGeometry& geometry) {
  // Every message of this step stands for this pen event and goes out at its
  // time; whatever is sent outside a step, at once.
  struct EventTimeScope {
    MidiPort& port;
    EventTimeScope(MidiPort& p, int64_t time) : port(p) { port.SetEventTime(time); }
    ~EventTimeScope() { port.SetEventTime(0); }
  } const timing(port_, packet.eventTime);
  ++packetCount_;
  char buffer[16];
  display_.SetDisplayText(Readout::PacketCount, FormatNumber(buffer, packetCount_));

  const PenState old = pen_;
  pen_.areaX = ScaleToArea(geometry.areaWidth, packet.x, geometry.screenWidth);
  pen_.areaY = ScaleToArea(geometry.areaHeight, packet.y, geometry.screenHeight);
  pen_.cursor = packet.cursor;
  pen_.pressure = packet.normalPressure;
  pen_.azimuth = packet.azimuth;
  pen_.altitude = packet.altitude;
  pen_.twist = packet.twist;
  pen_.buttons = packet.buttons;

  if (pen_.buttons != old.buttons) controllerMode_ = (pen_.buttons & PenButton::kBarrel) != 0;

  const bool positionMoved = pen_.areaX != old.areaX || pen_.areaY != old.areaY;
  const bool orientationMoved = pen_.azimuth != old.azimuth || pen_.altitude != old.altitude || pen_.twist != old.twist;
  if (positionMoved || pen_.pressure != old.pressure || orientationMoved) display_.InvalidateTabletArea();

  // Position. A raw movement too small to change the area position does nothing.
  if (positionMoved) {
    display_.ShowPenPosition(packet.x, packet.y);
    const float nx = Normalise(packet.x, geometry.screenWidth);
    const float ny = Normalise(packet.y, geometry.screenHeight);  // 0 at the top
    // The controllers come before the note step, so a note starts with the
    // bend and pressure of its own packet.
    if (RowSends(kInputX)) SendController(kInputX, LowByte(TruncToInt32(nx * 127.0f)));
    if (RowSends(kInputY)) SendController(kInputY, LowByte(TruncToInt32(ny * 127.0f)));
    if (pictures_.InUse(currentConfig_) && (RowSends(kInputH) || RowSends(kInputS) || RowSends(kInputB))) {
      const auto colour = SampleColor(pictures_.Get(currentConfig_), nx, ny, Current().colorModel);
      for (int i = 0; i < 3; ++i) {
        if (RowSends(kInputH + i)) SendController(kInputH + i, colour[i]);
      }
    }
    if (!controllerMode_ && Current().playNotes) notes_.UpdateNote(Current(), pen_, nx, ny);
  }

  // Pressure. A lift releases the note in either mode and sends no controller.
  if (pen_.pressure != old.pressure) {
    display_.ShowPenPressure(pen_.pressure);
    if (pen_.pressure == 0) {
      notes_.ReleaseNote(Current());
    } else {
      // A touch plays where the pen is, as if it had moved there: a tap or a
      // pen held still sounds at once instead of waiting for the first move.
      const bool touch = old.pressure == 0 && !positionMoved;
      if (touch && !controllerMode_ && Current().playNotes && notes_.LastNote() == kNoNote) {
        notes_.UpdateNote(Current(), pen_, Normalise(packet.x, geometry.screenWidth),
                          Normalise(packet.y, geometry.screenHeight));
      }
      if (RowSends(kInputPressure)) SendController(kInputPressure, LowByte(PressureEighths(pen_.pressure)));
    }
  }

  // Orientation. The twist is compared but never sent.
  if (orientationMoved) {
    display_.ShowPenOrientation(pen_.azimuth, pen_.altitude);
    if (RowSends(kInputTilt) || RowSends(kInputAngle)) {
      const int32_t tiltAboveLowest =
          static_cast<int32_t>(static_cast<uint32_t>(pen_.altitude) - static_cast<uint32_t>(kLowestTiltAltitude));
      const uint8_t tilt = LowByte(TruncToInt32(tiltAboveLowest * kTiltPerTenth));
      uint8_t angle = LowByte(TruncToInt32(static_cast<uint32_t>(pen_.azimuth) * 255.0 * kTurnPerTenth));
      if (angle > 127) angle = static_cast<uint8_t>(254 - angle);  // rises over half a turn, then falls
      if (RowSends(kInputTilt)) SendController(kInputTilt, tilt);
      if (RowSends(kInputAngle)) SendController(kInputAngle, angle);
    }
  }

  if (pen_.cursor != old.cursor) display_.SetDisplayText(Readout::ToolName, tools_.ToolName(pen_.cursor));
}
