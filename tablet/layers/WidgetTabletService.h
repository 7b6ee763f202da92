// SPDX-License-Identifier: MIT
#pragma once

#include "tablet/TabletService.h"

class QWidget;

/// A tablet layer that reads the pen through the window: it learns the main
/// window (for the screen it is on) and the tablet area (the widget the pen
/// plays over) before its context opens. The program hands them over once the
/// window exists; the engine and the window itself see only TabletService.
class WidgetTabletService : public TabletService {
 public:
  virtual void SetWindow(QWidget* window, QWidget* tabletArea) = 0;
};
