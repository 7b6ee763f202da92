// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QImage>

#include "ui/controls/CSectionHeader.h"

namespace {

TEST(SectionHeader, SetAlignmentRefusesContradictions) {
  struct Case {
    int flags;
    bool accepted;
  };
  const Case cases[] = {
      {0x05, true},  {0x06, false}, {0x03, true},  {0x0C, false}, {0x30, false}, {0x11, false},
      {0x21, false}, {0x0A, false}, {0x18, true},  {0x24, true},  {0x12, true},  {0x00, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    CSectionHeader header;
    ASSERT_EQ(header.SetAlignment(0x28), 0x03);  // the initial flags come back
    EXPECT_EQ(header.SetAlignment(c.flags), c.accepted ? 0x28 : -1);
    EXPECT_EQ(header.Alignment(), c.accepted ? c.flags : 0x28);
  }
}

TEST(SectionHeader, CaptionPositionFollowsTheFlags) {
  struct Case {
    int flags;
    QSize caption;
    QPoint expected;
  };
  const QSize header(100, 20);
  const Case cases[] = {
      {0x03, {40, 10}, {30, 5}},  {0x03, {41, 11}, {29, 4}},   // halves round toward zero
      {0x05, {40, 10}, {30, 0}},  {0x12, {40, 10}, {0, 5}},
      {0x28, {40, 10}, {60, 10}}, {0x00, {40, 10}, {0, 0}},
      {0x03, {120, 10}, {-10, 5}},  // wider than the header: centred, both ends cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    CSectionHeader h;
    ASSERT_NE(h.SetAlignment(c.flags), -1);
    EXPECT_EQ(h.CaptionPosition(header, c.caption), c.expected);
  }
}

// Horizontal extent of the caption's pixels (white text on a dark ground,
// antialiased edges included), or (-1, -1).
std::pair<int, int> TextColumns(const QImage& image) {
  int first = -1, last = -1;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (image.pixelColor(x, y).red() > 120) {
        if (first < 0) first = x;
        last = x;
      }
  return {first, last};
}

TEST(SectionHeader, PaintsTheCaptionWhereTheFlagsSay) {
  const QColor white(255, 255, 255), back(50, 50, 100);
  CSectionHeader header;
  header.resize(300, 20);
  header.SetColors(white, back);
  header.SetCaption("M I D I   o u t");
  ASSERT_TRUE(header.SetFontSpec("DejaVu Sans", 8));

  const QImage centred = header.grab().toImage();
  EXPECT_EQ(centred.pixelColor(0, 0), back);
  EXPECT_EQ(centred.pixelColor(299, 19), back);
  const auto [cFirst, cLast] = TextColumns(centred);
  ASSERT_GE(cFirst, 0) << "caption not drawn";
  EXPECT_NEAR((cFirst + cLast) / 2.0, 150.0, 4.0);

  ASSERT_NE(header.SetAlignment(0x12), -1);
  const auto [lFirst, lLast] = TextColumns(header.grab().toImage());
  EXPECT_LE(lFirst, 2);
  ASSERT_NE(header.SetAlignment(0x22), -1);
  const auto [rFirst, rLast] = TextColumns(header.grab().toImage());
  EXPECT_GE(rLast, 296);
  EXPECT_EQ(lLast - lFirst, rLast - rFirst);
}

}  // namespace
