// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/bitmaps/QuillBitmaps.h"

namespace {

using namespace KeyboardGeometry;

// Row of the curve in one column: the topmost pixel of the curve's colour
// inside the frame, or -1.
int CurveRow(const QImage& image, int x, QColor color) {
  for (int y = 2; y < image.height() - 2; ++y)
    if (image.pixelColor(x, y) == color) return y;
  return -1;
}

TEST(Bitmaps, CurvePicturesShowTheirShapeInTheirColour) {
  struct Case {
    int code;
    QColor color;
  };
  const Case cases[] = {{0, QColor(255, 0, 0)}, {1, QColor(0, 128, 0)}, {2, QColor(0, 0, 128)}, {3, QColor(0, 0, 0)}};
  std::array<int, 4> quarterRows{}, middleRows{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const QImage image = QuillBitmaps::CurveBitmap(c.code).toImage();
    ASSERT_EQ(image.size(), QSize(24, 20));
    for (QPoint frame : {QPoint(0, 0), QPoint(1, 1), QPoint(23, 19), QPoint(22, 10), QPoint(12, 1)})
      EXPECT_EQ(image.pixelColor(frame), c.color);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    // From the lower left corner to the upper right one.
    EXPECT_EQ(image.pixelColor(3, 16), c.color);
    EXPECT_EQ(image.pixelColor(20, 3), c.color);
    quarterRows[c.code] = CurveRow(image, 7, c.color);
    middleRows[c.code] = CurveRow(image, 12, c.color);
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
  const QColor band(255, 160, 65);
  EXPECT_EQ(keyboard.pixelColor(0, 0), band);
  EXPECT_EQ(keyboard.pixelColor(kWidth - 1, kBandHeight - 1), band);
  for (int c = 0; c < kNoteCount; c += 12) {
    int ink = 0;
    for (int x = KeyStripOffset(c); x < KeyStripOffset(c) + 30; ++x)
      for (int y = 0; y < kBandHeight; ++y) ink += keyboard.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_GT(ink, 10) << "no label over C of octave " << c / 12 - 2;
  }
}

TEST(Bitmaps, ProgramIconHasSmallAndBigSizes) {
  const QIcon icon = QuillBitmaps::ProgramIcon();
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_GT(QuillBitmaps::ProgramIconImage(16).pixelColor(8, 8).alpha(), 0);  // drawn, not blank
}

}  // namespace
