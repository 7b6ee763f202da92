// SPDX-License-Identifier: MIT
#include "tablet/layers/DecodingTabletService.h"

#include "tablet/layers/ScreenSize.h"

void DecodingTabletService::SetWindow(QWidget* window, QWidget* tabletArea) {
  window_ = window;
  area_ = tabletArea;
}

void DecodingTabletService::Feed(const input_event& event, int64_t eventTime) {
  const QSize screen = TabletScreenSize(window_);
  core_.Feed(event, screen.width(), screen.height(), eventTime);
}

void DecodingTabletService::DeviceLost() {
  const QSize screen = TabletScreenSize(window_);
  core_.DeviceLost(screen.width(), screen.height());
}
