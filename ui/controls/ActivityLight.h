// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>
#include <QWidget>

/// A small round light that blinks when something happens: lit by Blink() and
/// dark again a moment after the last one, so a steady stream of messages
/// keeps it lit and a single one still shows.
class ActivityLight : public QWidget {
  Q_OBJECT

 public:
  /// How long the light stays lit after the last Blink().
  static constexpr int kLitMilliseconds = 120;

  explicit ActivityLight(QWidget* parent = nullptr);
  void Blink();
  bool Lit() const { return lit_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer darken_;
  bool lit_ = false;
};
