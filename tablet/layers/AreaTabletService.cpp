// SPDX-License-Identifier: MIT
#include "tablet/layers/AreaTabletService.h"

#include <QCoreApplication>
#include <QInputEvent>
#include <utility>

#include "tablet/EventTime.h"
#include "tablet/TabletContext.h"
#include "tablet/layers/ScreenSize.h"

AreaTabletService::~AreaTabletService() { RemoveFilter(); }

std::string AreaTabletService::ToolName(uint32_t cursor) const { return StandardToolName(cursor); }

void AreaTabletService::SetWindow(QWidget* window, QWidget* tabletArea) {
  window_ = window;
  area_ = tabletArea;
}

bool AreaTabletService::OpenContext(PacketHandler handler) {
  if (!area_ || !handler || !QCoreApplication::instance()) return false;
  RemoveFilter();
  PrepareArea(*area_);
  // One filter on the application also sees what is announced to the
  // application rather than to a widget (leaving proximity, Shift anywhere).
  QCoreApplication::instance()->installEventFilter(this);
  delivery_.Open(std::move(handler));
  return true;
}

void AreaTabletService::Enable(bool enable) { delivery_.Enable(enable); }

void AreaTabletService::Overlap(bool) {}

void AreaTabletService::Close() {
  RemoveFilter();
  delivery_.Close();
}

QSize AreaTabletService::ScreenSize() const {
  return TabletScreenSize(window_ ? window_.data() : (area_ ? area_->window() : nullptr));
}

int64_t AreaTabletService::EventTime(const QInputEvent& event) {
  return eventClock_.Map(event.timestamp(), MonotonicNow());
}

void AreaTabletService::RemoveFilter() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}
