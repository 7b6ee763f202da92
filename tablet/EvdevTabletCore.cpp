// SPDX-License-Identifier: MIT
#include "tablet/EvdevTabletCore.h"

#include <utility>

#include "tablet/TabletContext.h"
#include "tablet/TiltConversion.h"

bool EvdevTabletCore::SetDevice(const EvdevDeviceInfo& device) {
  if (!IsTabletPen(device)) return false;
  device_ = device;
  name_ = ReportedDeviceName(device.name, device.vendor);
  decoder_ = std::make_unique<EvdevFrameDecoder>(device.axes, NamesItsTools(device));
  present_ = true;
  return true;
}

void EvdevTabletCore::DeviceLost(int32_t screenWidth, int32_t screenHeight) {
  if (!decoder_) return;
  decoder_->SetScreenSize(screenWidth, screenHeight);
  const std::optional<TabletPacket> lift = decoder_->DeviceLost();
  decoder_.reset();
  Deliver(lift, screenWidth, screenHeight, 0);
}

void EvdevTabletCore::Feed(const input_event& event, int32_t screenWidth, int32_t screenHeight, int64_t eventTime) {
  if (!decoder_) return;
  decoder_->SetScreenSize(screenWidth, screenHeight);
  Deliver(decoder_->Feed(event), screenWidth, screenHeight, eventTime);
}

std::string EvdevTabletCore::ToolName(uint32_t cursor) const { return StandardToolName(cursor); }

OrientationAxes EvdevTabletCore::Orientation() const {
  return device_.axes.HasTilt() ? TenthsOfDegreeAxes() : OrientationAxes{};
}

bool EvdevTabletCore::OpenContext(PacketHandler handler) {
  if (!present_ || !handler) return false;
  delivery_.Open(std::move(handler));
  return true;
}

void EvdevTabletCore::Deliver(std::optional<TabletPacket> packet, int32_t screenWidth, int32_t screenHeight,
                              int64_t eventTime) {
  if (!packet) return;
  packet->eventTime = eventTime;
  delivery_.Deliver(*packet, screenWidth, screenHeight);
}
