// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

/// The tablet area (control 1002): a child widget of the main window, so tablet
/// hover events reach it, that paints through the window's painting routine.
/// Mouse presses pass on to the window, which runs the tab test.
class TabletAreaWidget : public QWidget {
  Q_OBJECT

 public:
  using PaintHandler = std::function<void(QPainter&)>;

  explicit TabletAreaWidget(QWidget* parent = nullptr);
  void SetPaintHandler(PaintHandler handler) { paint_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PaintHandler paint_;
};
