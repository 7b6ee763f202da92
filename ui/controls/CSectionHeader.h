// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

/// A coloured heading over a group of controls, drawing its caption in a chosen
/// typeface, size and placement.
class CSectionHeader : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxFontPoints = 1000;  ///< largest size SetFontSpec takes

  explicit CSectionHeader(QWidget* parent = nullptr);

  // The setters store only; the caller repaints.
  void SetColors(QColor text, QColor back);
  void SetCaption(const QString& caption);
  /// Takes a typeface and a size in points; false and no change when no font
  /// can be made from them (an empty face, or a size outside 1..kMaxFontPoints).
  bool SetFontSpec(const QString& face, int points);
  /// Where the caption goes: Qt::AlignHCenter, else Qt::AlignRight, else the
  /// left edge; Qt::AlignVCenter, else Qt::AlignBottom, else the top edge.
  void SetAlignment(Qt::Alignment alignment) { alignment_ = alignment; }

  QString Caption() const { return caption_; }
  QColor TextColor() const { return textColor_; }
  QColor BackColor() const { return backColor_; }
  QString FontFace() const { return fontFace_; }
  int FontPoints() const { return fontPoints_; }
  Qt::Alignment Alignment() const { return alignment_; }
  /// Where the caption's top-left corner goes in a header of this size.
  QPoint CaptionPosition(QSize size, QSize captionSize) const;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QFont MakeFont(const QString& face, int points) const;

  QString caption_;
  QColor textColor_ = QColor(0, 0, 0);
  QColor backColor_ = QColor(192, 192, 192);
  int fontPoints_ = 8;
  QString fontFace_ = QStringLiteral("Arial");
  Qt::Alignment alignment_ = Qt::AlignCenter;
};
