// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QList>
#include <QPixmap>

/// A button that shows one picture of a list and steps to the next one on each
/// click (a double-click steps twice), wrapping round at the end of the list.
class CBitmapCycleButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CBitmapCycleButton(QWidget* parent = nullptr);

  /// The pictures to step through, drawn unscaled from the top left (several
  /// buttons may share one list: the pixmaps are shared, not copied). The
  /// current index stays.
  void SetBitmaps(QList<QPixmap> bitmaps);
  /// Shows picture `index`; false and no change when there is no such picture.
  /// The caller repaints.
  bool SetCurrent(qsizetype index);
  qsizetype GetCurrent() const { return current_; }

  QSize sizeHint() const override;

 signals:
  /// A click stepped the button to picture `index` (setting it is no step).
  void ValueChanged(qsizetype index);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void Step();

  QList<QPixmap> bitmaps_;
  qsizetype current_ = 0;
};
