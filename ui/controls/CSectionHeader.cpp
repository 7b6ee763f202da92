// SPDX-License-Identifier: MIT
#include "ui/controls/CSectionHeader.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

CSectionHeader::CSectionHeader(QWidget* parent) : QWidget(parent) {
  // The header paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSectionHeader::SetColors(QColor text, QColor back) {
  textColor_ = text;
  backColor_ = back;
}

void CSectionHeader::SetCaption(const QString& caption) { caption_ = caption; }

// The size in points becomes a character height in pixels for this display.
QFont CSectionHeader::MakeFont(const QString& face, int points) const {
  QFont font(face);
  font.setPixelSize(std::max(1, int(std::lround(points * logicalDpiY() / 72.0))));
  font.setWeight(QFont::Normal);
  return font;
}

bool CSectionHeader::SetFontSpec(const QString& face, int points) {
  if (face.trimmed().isEmpty() || points < 1 || points > kMaxFontPoints) return false;
  fontFace_ = face;
  fontPoints_ = points;
  return true;
}

int CSectionHeader::SetAlignment(int flags) {
  const bool centreX = flags & kCenterHorizontal, centreY = flags & kCenterVertical;
  const bool top = flags & kTop, bottom = flags & kBottom;
  const bool left = flags & kLeft, right = flags & kRight;
  if ((top && bottom) || (left && right) || (centreY && (top || bottom)) || (centreX && (left || right))) return -1;
  const int previous = alignment_;
  alignment_ = flags;
  return previous;
}

// Without a horizontal flag the caption starts at the left edge, without a
// vertical one at the top.
QPoint CSectionHeader::CaptionPosition(QSize size, QSize captionSize) const {
  int x = 0, y = 0;
  if (alignment_ & kCenterHorizontal)
    x = (size.width() - captionSize.width()) / 2;
  else if (alignment_ & kRight)
    x = size.width() - captionSize.width();
  if (alignment_ & kCenterVertical)
    y = (size.height() - captionSize.height()) / 2;
  else if (alignment_ & kBottom)
    y = size.height() - captionSize.height();
  return QPoint(x, y);
}

// Drawn off-screen first and copied in one block, so the header never flickers
// when the slot colour changes.
void CSectionHeader::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  QPixmap buffer(size() * ratio);
  buffer.setDevicePixelRatio(ratio);
  buffer.fill(backColor_);

  QPainter painter(&buffer);
  const QFont font = MakeFont(fontFace_, fontPoints_);
  const QFontMetrics metrics(font, this);
  const QSize captionSize(metrics.horizontalAdvance(caption_), metrics.height());
  const QPoint at = CaptionPosition(size(), captionSize);
  painter.setFont(font);
  painter.setPen(textColor_);
  painter.drawText(QRect(at, captionSize), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption_);
  painter.end();

  QPainter(this).drawPixmap(0, 0, buffer);
}
