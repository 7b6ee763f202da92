// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

/// A field for one controller minimum or maximum: it accepts digits only, clamps
/// to its range as the user types, steps with the arrow and page keys, and
/// reports every accepted value.
class CNumericEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CNumericEdit(QWidget* parent = nullptr);

  /// Sets the accepted range; false and no change when minimum >= maximum.
  /// The current value and text are not re-examined.
  bool SetRange(int minimum, int maximum);
  /// The last accepted value.
  int Value() const { return value_; }

 signals:
  /// The text was validated (typed, stepped or set) and gives this value.
  void ValueAccepted(int value);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  /// New value for a stepping key, or false when the key is not one of them.
  bool StepForKey(int key, int& newValue) const;
  /// Runs after every change of the text, typed or set.
  void Validate();

  int minimum_ = 0;
  int maximum_ = 127;
  int value_ = 0;
  int smallStep_ = 1;
  int largeStep_ = 10;
};
