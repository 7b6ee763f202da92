// SPDX-License-Identifier: MIT
#pragma once

#include <map>

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
/// rectangles and in tab order, and finds them again by id.
class MainWindowControls {
 public:
  explicit MainWindowControls(QWidget* window);

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
  std::map<int, QWidget*> byId_;
  TabletAreaWidget* tabletArea_ = nullptr;
};
