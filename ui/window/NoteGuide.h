// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

class QPainter;

/// What the note guide shows over the tablet area: the bands of the current
/// preset (its note list, in the direction it plays), the band under the pen
/// and the band that sounds.
struct NoteGuideView {
  std::span<const uint8_t> notes;   ///< the note list, band 0 (the lowest note) first
  bool horizontal = false;          ///< the bands run from left to right; else from the bottom up
  std::optional<int> penBand;       ///< the band under the pen
  std::optional<int> soundingBand;  ///< the band whose note sounds
  QString hint;                     ///< a line to show at the top of the area, or empty
};

/// The note guide: lines between the bands, each band's note name where there
/// is room for it (every second or third one when the bands are narrow), the
/// band under the pen and the sounding one lit. Everything is translucent, so
/// a picture stays in view beneath it.
class NoteGuide {
 public:
  /// The band under a point of an area of `size`, as the note step finds it
  /// from the pen's position: the bottom (or left) edge is band 0, the top (or
  /// right) edge the last band. Nothing for an empty list or a point outside.
  static std::optional<int> BandAt(QPoint point, QSize size, int count, bool horizontal);
  /// Every pixel of band `band`: those BandAt gives that band.
  static QRect BandRect(int band, QSize size, int count, bool horizontal);
  /// Paints the guide over an area of `size`, in the painter's font.
  static void Paint(QPainter& painter, QSize size, const NoteGuideView& view);
};
