// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QLabel>

/// A text that works as a hyperlink: underlined in link colours with a hand
/// pointer, it opens its target with the desktop's default handler when clicked,
/// turns purple once opened, and becomes plain text when nothing can open it.
class CStaticLink : public QLabel {
  Q_OBJECT

 public:
  static inline const QColor kUnvisitedColor{0, 0, 255};  ///< blue until opened
  static inline const QColor kVisitedColor{128, 0, 128};  ///< purple once opened

  /// `link` is the target; when it is empty a click opens the shown text.
  explicit CStaticLink(const QString& link = QString(), QWidget* parent = nullptr);

  /// Opens the target; false when it is empty or no handler opened it.
  bool Navigate();

  void SetLink(const QString& link) { link_ = link; }
  QString Link() const { return link_; }
  /// The colour the text is drawn in while the link works.
  QColor LinkColor() const { return color_; }
  /// True after a click found nothing to open: the link is plain text from then on.
  bool IsBroken() const { return broken_; }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void ApplyLook();

  QString link_;
  QColor color_ = kUnvisitedColor;
  bool broken_ = false;
  bool applyingLook_ = false;
};
