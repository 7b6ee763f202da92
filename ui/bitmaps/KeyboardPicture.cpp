// SPDX-License-Identifier: MIT
#include "ui/bitmaps/KeyboardPicture.h"

#include <array>
#include <cstdint>
#include <string>

#include <QColor>
#include <QPainter>

#include "ui/bitmaps/KeyboardGeometry.h"

using namespace KeyboardGeometry;

namespace {

const QColor kBandColor(255, 160, 65);
const QColor kKeyEdge(150, 150, 150);
const QColor kBlackKey(16, 16, 16);
const QColor kBlackKeyShine(90, 90, 90);
const QColor kWhiteKey(255, 255, 255);
const QColor kWhiteKeyShade(215, 215, 215);

// The octave labels are drawn with a built-in 5 x 7 pixel font, so the picture
// does not depend on the fonts installed on the machine. Each glyph row is five
// bits, the highest bit at the left.
struct Glyph {
  char ch;
  std::array<uint8_t, 7> rows;
};
constexpr std::array<Glyph, 11> kGlyphs = {{
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'-', {0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x00}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
}};

void DrawLabel(QImage& image, int left, int top, const std::string& text) {
  int x = left;
  for (char ch : text) {
    for (const Glyph& glyph : kGlyphs) {
      if (glyph.ch != ch) continue;
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (glyph.rows[row] & (0x10 >> col)) image.setPixel(x + col, top + row, qRgb(0, 0, 0));
    }
    x += 6;
  }
}

}  // namespace

QImage DrawKeyboardPicture() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(kWhiteKey);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);

  // The label band, with "C-2", "C-1", ... "C8" above each C.
  painter.fillRect(0, 0, kWidth, kBandHeight, kBandColor);
  painter.end();
  for (int c = 0; c < kNoteCount; c += 12) DrawLabel(image, KeyStripOffset(c) + 3, 3, "C" + std::to_string(c / 12 - 2));
  painter.begin(&image);

  // White keys: a dark edge at the left column of each key (the column that the
  // lower part of the dialog counts to that key) and a shaded bottom.
  const int keyTop = kBandHeight;
  const int whiteKeys = kWidth / kWhiteKeyWidth;
  for (int w = 0; w < whiteKeys; ++w) {
    const int left = w * kWhiteKeyWidth;
    painter.fillRect(left + 1, kHeight - 4, kWhiteKeyWidth - 1, 3, kWhiteKeyShade);
    painter.fillRect(left, keyTop, 1, kHeight - keyTop, kKeyEdge);
  }
  painter.fillRect(kWidth - 1, keyTop, 1, kHeight - keyTop, kKeyEdge);
  painter.fillRect(0, kHeight - 1, kWidth, 1, kKeyEdge);

  // Black keys fill their strips exactly: a strip starts one column after the
  // end of the strip before it and includes its own last column.
  for (int key = 0; key < kNoteCount; ++key) {
    if (!IsBlackKey(key)) continue;
    const int left = KeyStripOffset(key) + 1;
    const int width = KeyStripWidths[key % 12];
    const int height = kBlackKeyBottom - keyTop + 1;
    painter.fillRect(left, keyTop, width, height, kBlackKey);
    painter.fillRect(left + 2, keyTop, 2, height - 4, kBlackKeyShine);
  }
  painter.end();
  return image.convertToFormat(QImage::Format_RGB888);
}
