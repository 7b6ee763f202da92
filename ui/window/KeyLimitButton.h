// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

/// MinKey and MaxKey: a small keyboard picture, drawn pressed while held down.
class KeyLimitButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit KeyLimitButton(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
