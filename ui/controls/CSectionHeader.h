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
  /// Caption placement flags, combined with |.
  enum AlignmentFlag : int {
    kCenterHorizontal = 0x01,  ///< centred across
    kCenterVertical = 0x02,    ///< centred top to bottom
    kTop = 0x04,               ///< at the top edge
    kBottom = 0x08,            ///< at the bottom edge
    kLeft = 0x10,              ///< at the left edge
    kRight = 0x20,             ///< at the right edge
  };
  static constexpr int kMaxFontPoints = 1000;  ///< largest size SetFontSpec takes

  explicit CSectionHeader(QWidget* parent = nullptr);

  // The setters store only; the caller repaints.
  void SetColors(QColor text, QColor back);
  void SetCaption(const QString& caption);
  /// Takes a typeface and a size in points; false and no change when no font
  /// can be made from them (an empty face, or a size outside 1..kMaxFontPoints).
  bool SetFontSpec(const QString& face, int points);
  /// Sets the placement flags and returns the previous ones, or -1 and no change
  /// when they contradict each other (top with bottom, left with right, a centring
  /// with an edge on the same axis).
  int SetAlignment(int flags);

  QString Caption() const { return caption_; }
  QColor TextColor() const { return textColor_; }
  QColor BackColor() const { return backColor_; }
  QString FontFace() const { return fontFace_; }
  int FontPoints() const { return fontPoints_; }
  int Alignment() const { return alignment_; }
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
  int alignment_ = kCenterHorizontal | kCenterVertical;
};
