// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "tests/window/WindowFakes.h"
#include "ui/window/CTabletMidiDlg.h"

/// A main window over fakes, initialised as at start-up.
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<CTabletMidiDlg>(midi, tablet, OrientationScaling::FromAxes(tablet.axes),
                                              FileLocations{}, &messages);
    ASSERT_TRUE(window->OnInitDialog());
  }

  QComboBox* List(int id) const { return qobject_cast<QComboBox*>(window->Control(id)); }
  QLabel* Label(int id) const { return qobject_cast<QLabel*>(window->Control(id)); }
  QLineEdit* Field(int id) const { return qobject_cast<QLineEdit*>(window->Control(id)); }
  QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(window->Control(id)); }

  /// The user picks entry `index` of a list.
  void Choose(int id, int index) {
    List(id)->setCurrentIndex(index);
    emit List(id)->activated(index);
  }
  /// A key press delivered to `target` as to the widget with the focus.
  static void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                       bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(target, &press);
  }

  FakeMidiOut midi{2};
  ScriptedTablet tablet;
  RecordingMessages messages;
  std::unique_ptr<CTabletMidiDlg> window;
};
