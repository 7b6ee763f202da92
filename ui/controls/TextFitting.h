// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QString>

class QPaintDevice;

/// A text as a control draws it in the room it has.
struct FittedText {
  QFont font;    ///< the control's font, or a size or two smaller
  QString text;  ///< the text, or the text shortened with "…"
  bool shortened = false;
};

/// How far a text may shrink to fit, in pixels of character height: the
/// template's rectangles were drawn for a narrower dialog font than ours.
inline constexpr int kMaxFitShrink = 2;

/// Fits `text` into `width` pixels on `device`: in `font` when it fits there,
/// else in the largest of up to kMaxFitShrink smaller sizes that fits, else in
/// the smallest of them with the text shortened where `elide` says.
FittedText FitText(const QString& text, const QFont& font, int width, const QPaintDevice* device,
                   Qt::TextElideMode elide = Qt::ElideRight);
