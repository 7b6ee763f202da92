// SPDX-License-Identifier: MIT
#include "ui/window/SlotKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>

SlotKeyFilter::SlotKeyFilter(QWidget* window, std::function<void(int)> selectSlot, std::function<void()> panic)
    : QObject(window), window_(window), selectSlot_(std::move(selectSlot)), panic_(std::move(panic)) {}

bool SlotKeyFilter::BelongsToWindow(QObject* object) const {
  // Walk up to the main window; a popup (an open drop-down list) still belongs
  // to it, any other top-level window (a message box, a dialog) does not.
  for (QWidget* w = qobject_cast<QWidget*>(object); w != nullptr; w = w->parentWidget()) {
    if (w == window_) return true;
    if (w->isWindow() && w->windowType() != Qt::Popup) return false;
  }
  return false;
}

bool SlotKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
  if (!BelongsToWindow(watched)) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const int k = key->key();
  const bool slotKey = k >= Qt::Key_F1 && k <= Qt::Key_F12;
  // An open drop-down list takes Enter and Escape itself (to choose or to
  // close); they never reach the window from there.
  auto* widget = qobject_cast<QWidget*>(watched);
  const bool inPopup = widget != nullptr && widget->window()->windowType() == Qt::Popup;
  const bool swallowed = !inPopup && (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape);
  if (!slotKey && !swallowed) return false;
  if (type == QEvent::ShortcutOverride) {
    // Claim the key so no shortcut takes it; the key press follows.
    event->accept();
    return true;
  }
  if (slotKey) selectSlot_(k - Qt::Key_F1);
  if (k == Qt::Key_Escape) panic_();  // again on every auto-repeat
  return true;
}
