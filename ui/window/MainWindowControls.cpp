// SPDX-License-Identifier: MIT
#include "ui/window/MainWindowControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "ui/controls/ActivityLight.h"
#include "ui/controls/CCurveButton.h"
#include "ui/controls/CNumericEdit.h"
#include "ui/controls/CSectionHeader.h"
#include "ui/controls/FittedLabel.h"
#include "ui/controls/PathButton.h"
#include "ui/controls/RefreshingComboBox.h"
#include "ui/controls/TroubleLine.h"
#include "ui/window/ControlIds.h"
#include "ui/window/KeyLimitButton.h"
#include "ui/window/TabletAreaWidget.h"
#include "ui/window/WindowLayout.h"

namespace {

QWidget* CreateControl(const ControlSpec& entry, QWidget* window, QButtonGroup* colorModelGroup) {
  const QString text = QString::fromUtf8(entry.text);
  switch (entry.kind) {
    case ControlKind::Label:
    case ControlKind::CentredLabel: {
      auto* label = new FittedLabel(text, window);
      label->setAlignment((entry.kind == ControlKind::CentredLabel ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      return label;
    }
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(window);
      box->setFocusPolicy(Qt::NoFocus);
      // Behind the status labels created before it.
      box->lower();
      return box;
    }
    case ControlKind::TabletArea: return new TabletAreaWidget(window);
    case ControlKind::List: {
      auto* box = new RefreshingComboBox(window);
      box->setEditable(false);
      box->setFocusPolicy(Qt::StrongFocus);
      return box;
    }
    case ControlKind::Push:
    case ControlKind::PathPush: {
      auto* button = entry.kind == ControlKind::PathPush ? new PathButton(text, window) : new QPushButton(text, window);
      // Enter never presses a button of this window.
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
    case ControlKind::Check: return new QCheckBox(text, window);
    case ControlKind::Radio: {
      auto* button = new QPushButton(text, window);
      button->setCheckable(true);
      button->setAutoDefault(false);
      button->setFocusPolicy(Qt::ClickFocus);
      colorModelGroup->addButton(button);
      return button;
    }
    case ControlKind::NumericField: return new CNumericEdit(window);
    case ControlKind::ReadOnlyField: {
      auto* field = new QLineEdit(window);
      field->setReadOnly(true);
      return field;
    }
    case ControlKind::KeyButton: {
      auto* button = new KeyLimitButton(window);
      button->setText(text);  // named, not shown
      return button;
    }
    case ControlKind::CurveButton: {
      // The row is the button's place among the curve buttons.
      const auto& buttons = ControlIds::kCurveButtons;
      const auto row = std::find(buttons.begin(), buttons.end(), entry.id) - buttons.begin();
      return new CCurveButton(static_cast<int>(row), window);
    }
    case ControlKind::SectionHeader: {
      auto* header = new CSectionHeader(window);
      header->SetCaption(text);
      return header;
    }
    case ControlKind::ActivityLight: return new ActivityLight(window);
    case ControlKind::TroubleLine: return new TroubleLine(window);
  }
  return nullptr;
}

// A closed drop-down list is one line high; the template's height is that of
// the opened list and sets how many entries it shows.
QRect ControlRect(const ControlSpec& entry) {
  QRect r = DialogUnitsToPixels(entry.x, entry.y, entry.w, entry.h);
  if (entry.kind == ControlKind::List) r.setHeight(kClosedListHeight);
  return r;
}

}  // namespace

MainWindowControls::MainWindowControls(QWidget* window) {
  auto* colorModelGroup = new QButtonGroup(window);
  colorModelGroup->setExclusive(true);
  for (const ControlSpec& entry : MainWindowLayout()) {
    QWidget* w = CreateControl(entry, window, colorModelGroup);
    w->setGeometry(ControlRect(entry));
    placed_.push_back({w, ControlRect(entry), AnchorOf(entry), entry.id});
    if (entry.kind == ControlKind::List) {
      auto* box = static_cast<QComboBox*>(w);
      const int openedRows = (DialogUnitsToPixelsY(entry.h) - kClosedListHeight) / 14;
      box->setMaxVisibleItems(openedRows < 1 ? 1 : openedRows);
    }
    if (entry.id != 0) {
      w->setObjectName(QString::number(entry.id));
      byId_[entry.id] = w;
    }
    if (entry.kind == ControlKind::TabletArea) tabletArea_ = static_cast<TabletAreaWidget*>(w);
  }
}

void MainWindowControls::Arrange(QSize size) {
  const QSize standard = WindowClientSize();
  // Never smaller than the table: the window's minimum size keeps it so.
  const int dx = std::max(0, size.width() - standard.width());
  const int dy = std::max(0, size.height() - standard.height());
  for (const Placed& p : placed_) {
    QRect r = p.defaultRect;
    switch (p.anchor) {
      case ControlAnchor::Grows: r.setSize(r.size() + QSize(dx, dy)); break;
      case ControlAnchor::MovesRight: r.translate(dx, 0); break;
      case ControlAnchor::MovesDown: r.translate(0, dy); break;
      case ControlAnchor::Stays: break;
    }
    p.widget->setGeometry(r);
  }
}

QRect MainWindowControls::DefaultRect(int id) const {
  for (const Placed& p : placed_) {
    if (p.id == id) return p.defaultRect;
  }
  return {};
}

void MainWindowControls::ShowAreaOnly(bool on, const std::vector<int>& kept) {
  for (const Placed& p : placed_) {
    if (p.widget == tabletArea_ || std::find(kept.begin(), kept.end(), p.id) != kept.end()) continue;
    p.widget->setVisible(!on);
  }
}

QWidget* MainWindowControls::Control(int id) const {
  auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : found->second;
}

QComboBox* MainWindowControls::List(int id) const { return qobject_cast<QComboBox*>(Control(id)); }
QLabel* MainWindowControls::Label(int id) const { return qobject_cast<QLabel*>(Control(id)); }
QLineEdit* MainWindowControls::Field(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
QAbstractButton* MainWindowControls::Button(int id) const { return qobject_cast<QAbstractButton*>(Control(id)); }
CNumericEdit* MainWindowControls::Numeric(int id) const { return dynamic_cast<CNumericEdit*>(Control(id)); }
CCurveButton* MainWindowControls::Curve(int id) const { return dynamic_cast<CCurveButton*>(Control(id)); }
CSectionHeader* MainWindowControls::Header(int id) const { return dynamic_cast<CSectionHeader*>(Control(id)); }
