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

// Centred is the free room halved toward zero, so a caption wider than the
// header loses as much on the left as on the right.
QPoint CSectionHeader::CaptionPosition(QSize size, QSize captionSize) const {
  int x = 0, y = 0;
  if (alignment_ & Qt::AlignHCenter)
    x = (size.width() - captionSize.width()) / 2;
  else if (alignment_ & Qt::AlignRight)
    x = size.width() - captionSize.width();
  if (alignment_ & Qt::AlignVCenter)
    y = (size.height() - captionSize.height()) / 2;
  else if (alignment_ & Qt::AlignBottom)
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
