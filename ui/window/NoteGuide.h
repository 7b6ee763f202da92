// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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
/// a picture stays in view beneath it. The lines and names are drawn once for
/// a preset and a size, and copied at every paint.
class NoteGuide {
 public:
  /// The band under a point of an area of `size`, as the note step finds it
  /// from the pen's position: the bottom (or left) edge is band 0, the top (or
  /// right) edge the last band. Nothing for an empty list or a point outside.
  static std::optional<int> BandAt(QPoint point, QSize size, int count, bool horizontal);
  /// Every pixel of band `band`: those BandAt gives that band.
  static QRect BandRect(int band, QSize size, int count, bool horizontal);
  /// Paints the guide over an area of `size`, in the painter's font (bold).
  void Paint(QPainter& painter, QSize size, const NoteGuideView& view);

 private:
  /// The lines and names of the bands.
  static void DrawBands(QPainter& painter, QSize size, const NoteGuideView& view);

  // The lines and names as last drawn, and what they were drawn for.
  QImage layer_;
  QSize layerSize_;
  std::vector<uint8_t> layerNotes_;
  bool layerHorizontal_ = false;
  QFont layerFont_;
};
