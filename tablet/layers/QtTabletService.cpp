// SPDX-License-Identifier: MIT
#include "tablet/layers/QtTabletService.h"

#include <QInputDevice>
#include <QPointingDevice>
#include <QTabletEvent>

#include "tablet/TabletScaling.h"
#include "tablet/TiltConversion.h"

namespace {

bool IsTabletPen(const QInputDevice* device) {
  const auto type = device->type();
  return type == QInputDevice::DeviceType::Stylus || type == QInputDevice::DeviceType::Airbrush ||
         type == QInputDevice::DeviceType::Puck;
}

// The pen itself rather than its eraser end or a puck, when Qt lists one.
const QInputDevice* FirstTabletPen() {
  const QInputDevice* found = nullptr;
  for (const QInputDevice* device : QInputDevice::devices()) {
    if (!IsTabletPen(device)) continue;
    const auto* pointing = qobject_cast<const QPointingDevice*>(device);
    if (pointing && pointing->pointerType() == QPointingDevice::PointerType::Pen) return device;
    if (!found) found = device;
  }
  return found;
}

uint32_t CursorOf(QPointingDevice::PointerType type) {
  switch (type) {
    case QPointingDevice::PointerType::Eraser: return PenCursor::kEraser;
    case QPointingDevice::PointerType::Cursor: return PenCursor::kPuck;
    default: return PenCursor::kPen;
  }
}

}  // namespace

std::string QtTabletService::DeviceName() const {
  const QInputDevice* pen = FirstTabletPen();
  if (!pen) return {};
  QString name = pen->name().trimmed();
  if (!name.contains(QLatin1String("wacom"), Qt::CaseInsensitive)) return name.toStdString();
  if (name.startsWith(QLatin1String("wacom "), Qt::CaseInsensitive)) name = name.mid(6);
  return "WACOM " + name.toStdString();
}

OrientationAxes QtTabletService::Orientation() const {
  for (const QInputDevice* device : QInputDevice::devices()) {
    if (IsTabletPen(device) && device->hasCapability(QInputDevice::Capability::XTilt) &&
        device->hasCapability(QInputDevice::Capability::YTilt)) {
      return TenthsOfDegreeAxes();
    }
  }
  return {};
}

TabletPacket QtTabletService::MakePacket(const QTabletEvent& event, QSize areaSize, QSize screenSize) {
  TabletPacket packet;
  packet.time = static_cast<uint32_t>(event.timestamp());
  packet.cursor = CursorOf(event.pointerType());
  const Qt::MouseButtons buttons = event.buttons();
  // Tip, then the first and second barrel switches as X and Qt number them.
  if (buttons & Qt::LeftButton) packet.buttons |= PenButton::kTip;
  if (buttons & Qt::MiddleButton) packet.buttons |= PenButton::kBarrel;
  if (buttons & Qt::RightButton) packet.buttons |= PenButton::kSecondBarrel;
  packet.x = MapAreaToScreen(event.position().x(), areaSize.width(), screenSize.width());
  packet.y = MapAreaToScreen(event.position().y(), areaSize.height(), screenSize.height());
  packet.normalPressure = ScalePressure(event.pressure());
  const QPointingDevice* device = event.pointingDevice();
  if (device && device->hasCapability(QInputDevice::Capability::XTilt) &&
      device->hasCapability(QInputDevice::Capability::YTilt)) {
    const PenOrientation orientation = TiltDegreesToOrientation(event.xTilt(), event.yTilt());
    packet.azimuth = orientation.azimuth;
    packet.altitude = orientation.altitude;
  }
  return packet;
}

bool QtTabletService::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: {
      if (watched != area_) break;
      auto* tablet = static_cast<QTabletEvent*>(event);
      const QSize screen = ScreenSize();
      TabletPacket packet = MakePacket(*tablet, area_->size(), screen);
      packet.eventTime = EventTime(*tablet);
      delivery_.Deliver(packet, screen.width(), screen.height());
      // Taken here, so Qt makes no mouse events of the pen over the area.
      tablet->accept();
      return true;
    }
    case QEvent::TabletLeaveProximity: {
      // A pen that leaves while pressing is lifted where it was.
      const auto& last = delivery_.LastDelivered();
      if (last && (last->normalPressure != 0 || last->buttons != 0)) {
        TabletPacket lift = *last;
        lift.normalPressure = 0;
        lift.buttons = 0;
        lift.eventTime = EventTime(*static_cast<QInputEvent*>(event));
        const QSize screen = ScreenSize();
        delivery_.Deliver(lift, screen.width(), screen.height());
      }
      break;
    }
    default: break;
  }
  return QObject::eventFilter(watched, event);
}
