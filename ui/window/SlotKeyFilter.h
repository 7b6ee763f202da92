// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>

class QWidget;

/// Application-wide key handling of the main window: F1 to F12 select a slot
/// from whichever of its controls has the focus (also with Alt, and again on
/// every auto-repeat), Escape is the panic key, and Enter and Escape never
/// close the window. Keys meant for other windows (message boxes, the key
/// dialog) pass untouched.
class SlotKeyFilter : public QObject {
  Q_OBJECT

 public:
  SlotKeyFilter(QWidget* window, std::function<void(int slot)> selectSlot, std::function<void()> panic);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool BelongsToWindow(QObject* object) const;

  QWidget* window_;
  std::function<void(int)> selectSlot_;
  std::function<void()> panic_;
};
