// SPDX-License-Identifier: MIT
#include "tablet/layers/MouseTabletService.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "tablet/TabletScaling.h"

void MouseTabletService::SendPen(int64_t eventTime) {
  if (!area_ || !positionKnown_) return;
  const QSize screen = ScreenSize();
  TabletPacket packet;
  packet.cursor = eraser_ ? PenCursor::kEraser : PenCursor::kPen;
  packet.buttons = (tipDown_ ? PenButton::kTip : 0u) | (barrelDown_ ? PenButton::kBarrel : 0u);
  packet.x = MapAreaToScreen(position_.x(), area_->width(), screen.width());
  packet.y = MapAreaToScreen(position_.y(), area_->height(), screen.height());
  packet.normalPressure = tipDown_ ? pressureLevel_ : 0;
  // Shift seen again on its way through parent widgets changes nothing.
  const auto& last = delivery_.LastDelivered();
  if (last) {
    TabletPacket same = *last;
    same.eventTime = packet.eventTime;
    if (same == packet) return;
  }
  packet.eventTime = eventTime;
  delivery_.Deliver(packet, screen.width(), screen.height());
}

bool MouseTabletService::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Shift && eraser_ != (type == QEvent::KeyPress)) {
      eraser_ = type == QEvent::KeyPress;
      SendPen(EventTime(*key));
    }
    return QObject::eventFilter(watched, event);
  }
  if (watched != area_) return QObject::eventFilter(watched, event);

  switch (type) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      position_ = mouse->position();
      positionKnown_ = true;
      eraser_ = mouse->modifiers().testFlag(Qt::ShiftModifier);
      tipDown_ = mouse->buttons().testFlag(Qt::RightButton);
      barrelDown_ = mouse->buttons().testFlag(Qt::MiddleButton);
      SendPen(EventTime(*mouse));
      // The right and middle buttons belong to the pen; the left one stays
      // the window's (it selects controller mode there).
      return type != QEvent::MouseMove && (mouse->button() == Qt::RightButton || mouse->button() == Qt::MiddleButton);
    }
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      // Fine-grained wheels and touchpads add up to whole notches.
      wheelDelta_ += wheel->angleDelta().y();
      const int notches = wheelDelta_ / 120;
      wheelDelta_ %= 120;
      const int level = static_cast<int>(pressureLevel_) + notches * static_cast<int>(kPressureStep);
      pressureLevel_ = static_cast<uint32_t>(std::clamp(level, 1, static_cast<int>(kMaxPacketPressure)));
      SendPen(EventTime(*wheel));
      return true;
    }
    case QEvent::ContextMenu: return true;  // the right button is the pen tip here
    default: break;
  }
  return QObject::eventFilter(watched, event);
}
