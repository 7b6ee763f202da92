// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <optional>

#include <QScrollBar>
#include <QTest>

#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/dialogs/CKeySelectDlg.h"

namespace {

QScrollBar* Bar(CKeySelectDlg& dlg) { return dlg.findChild<QScrollBar*>("1121"); }

// Moves the view as dragging the thumb to `key` does.
void DragTo(CKeySelectDlg& dlg, int key) { Bar(dlg)->setSliderPosition(key); }

TEST(KeySelectDlg, KeyAtPointAtTheEdgesOfKeysAndArea) {
  struct Case {
    int first, x, y;
    std::optional<uint8_t> key;
  };
  const Case cases[] = {
      // Lower part: white keys of 18 pixels from x 10.
      {0, 11, 80, 0},   {0, 27, 80, 0},   {0, 28, 80, 2},   {0, 63, 80, 4},   {0, 64, 80, 5},
      // Upper part: strips of 12, 14, 4, ... columns, each ending on its boundary.
      {0, 11, 40, 0},   {0, 22, 40, 0},   {0, 23, 40, 1},   {0, 36, 40, 1},   {0, 37, 40, 2},
      {0, 40, 40, 2},   {0, 41, 40, 3},   {0, 136, 40, 11}, {0, 137, 40, 12},
      // Rows: the band and the scroll bar are no keys; 68 is upper, 69 lower.
      {0, 30, 22, std::nullopt}, {0, 30, 23, 1}, {0, 30, 68, 1}, {0, 30, 69, 2}, {0, 30, 99, 2},
      {0, 30, 100, std::nullopt},
      // Columns: the margins on both sides.
      {0, 10, 80, std::nullopt}, {0, 513, 80, 47}, {0, 514, 80, std::nullopt},
      // Scrolled views start with the first visible key in both parts.
      {60, 11, 80, 60}, {60, 11, 40, 60}, {61, 11, 40, 61}, {61, 11, 80, 60}, {61, 24, 80, 62},
      {80, 513, 40, 127}, {80, 513, 80, 127}, {79, 11, 40, 79},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first " << c.first << " at " << c.x << "," << c.y);
    CKeySelectDlg dlg;
    if (c.first == 80) {
      DragTo(dlg, 79);
      Bar(dlg)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    } else if (c.first > 0) {
      DragTo(dlg, c.first);
    }
    ASSERT_EQ(dlg.FirstVisibleKey(), c.first);
    EXPECT_EQ(dlg.KeyAtPoint(c.x, c.y), c.key);
  }
}

TEST(KeySelectDlg, ScrollRequests) {
  using A = QAbstractSlider::SliderAction;
  struct Step {
    A action;
    int first, bar;  // after the request
  };
  const Step steps[] = {
      {A::SliderSingleStepSub, 0, 0},  {A::SliderPageStepSub, 0, 0},   // nothing at the left end
      {A::SliderSingleStepAdd, 1, 1},  {A::SliderPageStepAdd, 2, 2},   // a page is one key
      {A::SliderPageStepSub, 1, 1},    {A::SliderToMaximum, 1, 1},     // the ends do nothing
      {A::SliderToMinimum, 1, 1},
  };
  CKeySelectDlg dlg;
  QScrollBar* bar = Bar(dlg);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->maximum(), 79);
  EXPECT_EQ(bar->pageStep(), 49);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.action);
    bar->triggerAction(s.action);
    EXPECT_EQ(dlg.FirstVisibleKey(), s.first);
    EXPECT_EQ(bar->value(), s.bar);
  }

  // At the right end the view goes one key beyond the bar, and no further.
  DragTo(dlg, 79);
  EXPECT_EQ(dlg.FirstVisibleKey(), 79);
  const Step rightEnd[] = {
      {A::SliderSingleStepAdd, 80, 79}, {A::SliderSingleStepAdd, 80, 79}, {A::SliderPageStepAdd, 80, 79},
      {A::SliderSingleStepSub, 78, 78}, {A::SliderPageStepAdd, 79, 79},
  };
  for (const Step& s : rightEnd) {
    SCOPED_TRACE(s.action);
    bar->triggerAction(s.action);
    EXPECT_EQ(dlg.FirstVisibleKey(), s.first);
    EXPECT_EQ(bar->value(), s.bar);
  }
}

TEST(KeySelectDlg, TitleNamesTheKeyUnderThePointerAndAClickChoosesIt) {
  CKeySelectDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Select a key: 60");
  dlg.open();
  DragTo(dlg, 60);
  QTest::mouseMove(&dlg, QPoint(30, 40));  // the C# strip after C3
  EXPECT_EQ(dlg.windowTitle(), "Select a key: C#3");
  QTest::mouseMove(&dlg, QPoint(30, 15));  // over the label band: the title stays
  EXPECT_EQ(dlg.windowTitle(), "Select a key: C#3");

  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 22));   // the band
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 100));  // the scroll bar's row
  QTest::mouseClick(&dlg, Qt::RightButton, {}, QPoint(30, 80));
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_FALSE(dlg.KeyChosen());
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 40));
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(dlg.KeyChosen());
  EXPECT_EQ(dlg.GetSelectedKey(), 61);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(KeySelectDlg, ClosingWithoutAClickChoosesNothing) {
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    SCOPED_TRACE(key);
    CKeySelectDlg dlg;
    dlg.open();
    QTest::keyClick(&dlg, key);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.KeyChosen());
    EXPECT_EQ(dlg.GetSelectedKey(), 60);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
  }
}

bool IsBlackKeyPixel(QColor c) { return c.red() < 128 && c.green() < 128 && c.blue() < 128; }

// What the dialog paints lines up with what KeyAtPoint answers, whichever way
// the view is scrolled.
TEST(KeySelectDlg, PaintedKeysMatchKeyAtPoint) {
  for (int first : {0, 5, 37, 60, 79, 80}) {
    SCOPED_TRACE(first);
    CKeySelectDlg dlg;
    if (first == 80) {
      DragTo(dlg, 79);
      Bar(dlg)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    } else {
      DragTo(dlg, first);
    }
    ASSERT_EQ(dlg.FirstVisibleKey(), first);
    const QImage shown = dlg.grab().toImage();
    for (int x = 11; x < dlg.width() - 10; ++x) {
      const auto upper = dlg.KeyAtPoint(x, 45);
      ASSERT_TRUE(upper.has_value()) << x;
      EXPECT_EQ(IsBlackKeyPixel(shown.pixelColor(x, 45)), KeyboardGeometry::IsBlackKey(*upper)) << "x " << x;
      const auto lower = dlg.KeyAtPoint(x, 85);
      ASSERT_TRUE(lower.has_value()) << x;
      EXPECT_FALSE(KeyboardGeometry::IsBlackKey(*lower));
      EXPECT_FALSE(IsBlackKeyPixel(shown.pixelColor(x, 85))) << "x " << x;
    }
  }
}

}  // namespace
