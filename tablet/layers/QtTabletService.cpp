// SPDX-License-Identifier: MIT
#include "tablet/layers/QtTabletService.h"

#include <QCoreApplication>
#include <QInputDevice>
#include <QPointingDevice>
#include <QTabletEvent>
#include <utility>

#include "tablet/TabletContext.h"
#include "tablet/TabletScaling.h"
#include "tablet/TiltConversion.h"
#include "tablet/layers/ScreenSize.h"

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
    case QPointingDevice::PointerType::Eraser: return 2;
    case QPointingDevice::PointerType::Cursor: return 0;
    default: return 1;
  }
}

}  // namespace

QtTabletService::QtTabletService() = default;

QtTabletService::~QtTabletService() { RemoveFilters(); }

std::string QtTabletService::DeviceName() const {
  const QInputDevice* pen = FirstTabletPen();
  if (!pen) return {};
  QString name = pen->name().trimmed();
  if (!name.contains(QLatin1String("wacom"), Qt::CaseInsensitive)) return name.toStdString();
  if (name.startsWith(QLatin1String("wacom "), Qt::CaseInsensitive)) name = name.mid(6);
  return "WACOM " + name.toStdString();
}

std::string QtTabletService::ToolName(uint32_t cursor) const { return StandardToolName(cursor); }

OrientationAxes QtTabletService::Orientation() const {
  for (const QInputDevice* device : QInputDevice::devices()) {
    if (IsTabletPen(device) && device->hasCapability(QInputDevice::Capability::XTilt) &&
        device->hasCapability(QInputDevice::Capability::YTilt)) {
      return TenthsOfDegreeAxes();
    }
  }
  return {};
}

bool QtTabletService::OpenContext(QWidget* window, QWidget* tabletArea, PacketHandler handler) {
  if (!tabletArea || !handler) return false;
  RemoveFilters();
  window_ = window;
  area_ = tabletArea;
  // Hover moves reach the area only with tablet tracking on.
  area_->setTabletTracking(true);
  // One filter on the application sees the area's tablet events and leaving
  // proximity, which is announced to the application, not to a widget.
  if (!QCoreApplication::instance()) return false;
  QCoreApplication::instance()->installEventFilter(this);
  delivery_.Open(std::move(handler));
  return true;
}

void QtTabletService::Enable(bool enable) { delivery_.Enable(enable); }

void QtTabletService::Overlap(bool) {}

void QtTabletService::Close() {
  RemoveFilters();
  delivery_.Close();
}

void QtTabletService::RemoveFilters() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

TabletPacket QtTabletService::MakePacket(const QTabletEvent& event, QSize areaSize, QSize screenSize) {
  TabletPacket packet;
  packet.time = static_cast<uint32_t>(event.timestamp());
  packet.cursor = CursorOf(event.pointerType());
  const Qt::MouseButtons buttons = event.buttons();
  // Tip, then the first and second barrel switches as X and Qt number them.
  if (buttons & Qt::LeftButton) packet.buttons |= 0x1;
  if (buttons & Qt::MiddleButton) packet.buttons |= 0x2;
  if (buttons & Qt::RightButton) packet.buttons |= 0x4;
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
      const QSize screen = TabletScreenSize(window_ ? window_.data() : area_->window());
      delivery_.Deliver(MakePacket(*tablet, area_->size(), screen), screen.width(), screen.height());
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
        const QSize screen = TabletScreenSize(window_ ? window_.data() : nullptr);
        delivery_.Deliver(lift, screen.width(), screen.height());
      }
      break;
    }
    default: break;
  }
  return QObject::eventFilter(watched, event);
}
