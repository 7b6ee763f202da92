// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <map>
#include <vector>

#include "ui/window/WindowLayout.h"

class CCurveButton;
class CNumericEdit;
class CSectionHeader;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class TabletAreaWidget;

/// Builds the main window's controls from the layout table, at their pixel
/// rectangles and in tab order, finds them again by id and places them again
/// when the window changes size.
class MainWindowControls {
 public:
  explicit MainWindowControls(QWidget* window);

  /// Places every control for a window client area of `size`: at the default
  /// size as the table says; larger, the tablet area takes the extra room and
  /// the other controls follow their ControlAnchor.
  void Arrange(QSize size);
  /// A control's rectangle at the window's default size.
  QRect DefaultRect(int id) const;
  /// Hides every control but the tablet area and the `kept` ones (placed by
  /// the caller), or shows them all again.
  void ShowAreaOnly(bool on, const std::vector<int>& kept);

  QWidget* Control(int id) const;
  QComboBox* List(int id) const;
  QLabel* Label(int id) const;
  QLineEdit* Field(int id) const;
  QAbstractButton* Button(int id) const;
  CNumericEdit* Numeric(int id) const;
  CCurveButton* Curve(int id) const;
  CSectionHeader* Header(int id) const;
  TabletAreaWidget* TabletArea() const { return tabletArea_; }

 private:
  struct Placed {
    QWidget* widget;
    QRect defaultRect;
    ControlAnchor anchor;
    int id;
  };
  std::vector<Placed> placed_;
  std::map<int, QWidget*> byId_;
  TabletAreaWidget* tabletArea_ = nullptr;
};
