// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>

#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/bitmaps/QuillBitmaps.h"

namespace {

using namespace KeyboardGeometry;

TEST(Bitmaps, CurvePicturesShowTheirShapeInTheirColour) {
  const QColor colors[] = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 128), QColor(0, 0, 0)};
  int quarterRows[4], middleRows[4];  // topmost curve pixel in columns 7 and 12
  for (int code = 0; code < 4; ++code) {
    SCOPED_TRACE(code);
    const QImage image = QuillBitmaps::CurveBitmap(code).toImage();
    ASSERT_EQ(image.size(), QSize(24, 20));
    for (QPoint p : {QPoint(0, 0), QPoint(23, 19), QPoint(3, 16), QPoint(20, 3)})  // frame, both curve ends
      EXPECT_EQ(image.pixelColor(p), colors[code]);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    auto topRow = [&](int x) {
      for (int y = 2; y < image.height() - 2; ++y)
        if (image.pixelColor(x, y) == colors[code]) return y;
      return -1;
    };
    quarterRows[code] = topRow(7);
    middleRows[code] = topRow(12);
  }
  // Rows grow downwards: the exponential stays low longest, the logarithmic
  // rises first; the S curve starts low and crosses the straight line midway.
  EXPECT_GT(middleRows[0], middleRows[1]);
  EXPECT_LT(middleRows[2], middleRows[1]);
  EXPECT_GT(quarterRows[3], quarterRows[1]);
  EXPECT_NEAR(middleRows[3], middleRows[1], 1);
  EXPECT_TRUE(QuillBitmaps::CurveBitmap(4).isNull());
  EXPECT_TRUE(QuillBitmaps::CurveBitmap(-1).isNull());
}

TEST(Bitmaps, KeyboardBandCarriesALabelAboveEachC) {
  const QImage keyboard = QuillBitmaps::KeyboardImage();
  EXPECT_EQ(keyboard.pixelColor(kWidth - 1, kBandHeight - 1), QColor(255, 160, 65));
  for (int c = 0; c < kNoteCount; c += 12) {
    int ink = 0;
    for (int x = KeyStripOffset(c); x < KeyStripOffset(c) + 30; ++x)
      for (int y = 0; y < kBandHeight; ++y) ink += keyboard.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_GT(ink, 10) << "no label over C of octave " << c / 12 - 2;
  }
}

}  // namespace
