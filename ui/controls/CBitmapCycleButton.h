// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QPixmap>

/// A button that shows one picture of a list and steps to the next one on each
/// click (a double-click steps twice), wrapping round at the end of the list.
class CBitmapCycleButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CBitmapCycleButton(QWidget* parent = nullptr);

  /// Lends the button a list of equally sized pictures (not owned; several
  /// buttons may share one list). False and no change when the list is missing,
  /// longer than 256 or its pictures differ in size. The current index stays.
  bool SetBitmaps(unsigned count, const QPixmap* list);
  /// Shows picture `index`; false and no change when there is no such picture.
  /// The caller repaints.
  bool SetCurrent(unsigned index);
  unsigned GetCurrent() const { return current_; }

  QSize sizeHint() const override;

 protected:
  /// Called after every click step; the base class does nothing.
  virtual void OnValueChanged();
  void paintEvent(QPaintEvent* e) override;

 private:
  void Step();

  unsigned count_ = 0;
  unsigned current_ = 0;
  const QPixmap* bitmaps_ = nullptr;
};
