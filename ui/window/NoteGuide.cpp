// SPDX-License-Identifier: MIT
#include "ui/window/NoteGuide.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "music/NoteNames.h"

namespace {

// Translucent, so a picture shows through: light over dark pictures and dark
// over light ones, each line drawn in both.
const QColor kLineDark(0, 0, 0, 90);
const QColor kLineLight(255, 255, 255, 130);
const QColor kPenBand(255, 255, 255, 50);
const QColor kSoundingBand(255, 255, 255, 90);
const QColor kSoundingEdge(255, 255, 255, 210);
const QColor kTextShadow(0, 0, 0, 160);

// Bands narrower than this get a line only where a name is written.
constexpr int kThinnestLinedBand = 6;
constexpr int kTextMargin = 4;

int CeilDiv(int64_t a, int64_t b) { return static_cast<int>((a + b - 1) / b); }

// White in a dark rim, readable over any colour a picture has.
void DrawShadowedText(QPainter& p, const QRect& box, int flags, const QString& text) {
  p.setPen(kTextShadow);
  for (const QPoint offset : {QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)}) {
    p.drawText(box.translated(offset), flags, text);
  }
  p.setPen(Qt::white);
  p.drawText(box, flags, text);
}

}  // namespace

std::optional<int> NoteGuide::BandAt(QPoint point, QSize size, int count, bool horizontal) {
  if (count <= 0 || !QRect(QPoint(0, 0), size).contains(point)) return std::nullopt;
  // The share of the way from the lowest band's edge, as the note step takes it.
  const int64_t along = horizontal ? point.x() : size.height() - point.y();
  const int64_t length = horizontal ? size.width() : size.height();
  return static_cast<int>(std::min<int64_t>(count - 1, count * along / length));
}

QRect NoteGuide::BandRect(int band, QSize size, int count, bool horizontal) {
  if (count <= 0 || band < 0 || band >= count) return {};
  if (horizontal) {
    const int64_t w = size.width();
    const int left = CeilDiv(band * w, count);
    const int right = band == count - 1 ? size.width() - 1 : CeilDiv((band + 1) * w, count) - 1;
    return QRect(QPoint(left, 0), QPoint(right, size.height() - 1));
  }
  const int64_t h = size.height();
  const int top = band == count - 1 ? 0 : static_cast<int>(h * (count - band - 1) / count) + 1;
  const int bottom = std::min<int>(size.height() - 1, static_cast<int>(h * (count - band) / count));
  return QRect(QPoint(0, top), QPoint(size.width() - 1, bottom));
}

void NoteGuide::Paint(QPainter& p, QSize size, const NoteGuideView& view) {
  const int count = static_cast<int>(view.notes.size());
  p.save();
  QFont font = p.font();
  font.setBold(true);
  if (view.penBand) p.fillRect(BandRect(*view.penBand, size, count, view.horizontal), kPenBand);
  if (view.soundingBand) {
    // Lit and framed: it stands out from the band under a hovering pen.
    const QRect r = BandRect(*view.soundingBand, size, count, view.horizontal);
    p.fillRect(r, kSoundingBand);
    p.setPen(QPen(kSoundingEdge, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(1, 1, -1, -1));
  }

  // The lines and names change only with the preset and the size: drawn once
  // into a layer of their own, then copied at every paint.
  const qreal ratio = p.device() != nullptr ? p.device()->devicePixelRatioF() : 1.0;
  const std::vector<uint8_t> notes(view.notes.begin(), view.notes.end());
  if (layer_.isNull() || size != layerSize_ || ratio != layer_.devicePixelRatioF() || notes != layerNotes_ ||
      view.horizontal != layerHorizontal_ || font != layerFont_) {
    layerSize_ = size;
    layerNotes_ = notes;
    layerHorizontal_ = view.horizontal;
    layerFont_ = font;
    layer_ = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
    layer_.setDevicePixelRatio(ratio);
    layer_.fill(Qt::transparent);
    QPainter layer(&layer_);
    layer.setFont(font);
    DrawBands(layer, size, view);
  }
  p.drawImage(0, 0, layer_);

  if (!view.hint.isEmpty()) {
    p.setFont(font);
    const QFontMetrics metrics(font, p.device());
    const QRect box(0, 0, size.width(), metrics.height() + 2 * kTextMargin);
    p.fillRect(box, QColor(0, 0, 0, 140));
    DrawShadowedText(p, box, Qt::AlignCenter, view.hint);
  }
  p.restore();
}

void NoteGuide::DrawBands(QPainter& p, QSize size, const NoteGuideView& view) {
  const int count = static_cast<int>(view.notes.size());
  if (count == 0) return;
  const QFontMetrics metrics(p.font(), p.device());
  // A name wherever it fits: every band when they are wide enough, else
  // every second, third, ... one.
  const double thickness = static_cast<double>(view.horizontal ? size.width() : size.height()) / count;
  const int needed =
      view.horizontal ? metrics.horizontalAdvance(QStringLiteral("C#-1")) + 2 * kTextMargin : metrics.height() + 2;
  const int stride = std::max(1, static_cast<int>(std::ceil(needed / thickness)));
  const bool everyLine = thickness >= kThinnestLinedBand;
  for (int band = 0; band < count; ++band) {
    const QRect r = BandRect(band, size, count, view.horizontal);
    const bool named = band % stride == 0;
    // The line on the band's low edge, between it and the band before.
    if (band > 0 && (everyLine || named)) {
      const QLine edge = view.horizontal ? QLine(r.left(), 0, r.left(), size.height() - 1)
                                         : QLine(0, r.bottom(), size.width() - 1, r.bottom());
      p.setPen(kLineDark);
      p.drawLine(edge);
      p.setPen(kLineLight);
      p.drawLine(view.horizontal ? edge.translated(1, 0) : edge.translated(0, -1));
    }
    if (!named) continue;
    const QString name = QString::fromStdString(FormatNoteName(view.notes[static_cast<size_t>(band)]));
    if (view.horizontal) {
      // Along the bottom edge: the top one may carry the hint.
      const QRect box(r.left(), size.height() - kTextMargin - metrics.height(), std::max(r.width(), needed),
                      metrics.height());
      DrawShadowedText(p, box, Qt::AlignHCenter | Qt::AlignTop, name);
    } else {
      const QRect box(kTextMargin, r.top(), size.width(), std::max(r.height(), metrics.height()));
      DrawShadowedText(p, box, Qt::AlignLeft | Qt::AlignVCenter, name);
    }
  }
}
