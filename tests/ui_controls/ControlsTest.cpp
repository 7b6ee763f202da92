// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <QTest>

#include "model/Configuration.h"
#include "ui/bitmaps/QuillBitmaps.h"
#include "ui/controls/CBitmapCycleButton.h"
#include "ui/controls/CCurveButton.h"
#include "ui/controls/CSectionHeader.h"

namespace {

// The four curve pictures, and a button that counts the steps the base class reports.
struct CountingButton : CBitmapCycleButton {
  std::array<QPixmap, kResponseCurveCount> pictures;
  int changes = 0;
  CountingButton() {
    for (int i = 0; i < kResponseCurveCount; ++i) pictures[i] = QuillBitmaps::CurveBitmap(i);
    resize(24, 20);
  }
  void OnValueChanged() override { ++changes; }
};

TEST(BitmapCycleButton, SettersRefuseBadArgumentsAndClicksStepAndWrapRound) {
  const std::array<QPixmap, 2> mixed = {QPixmap(24, 20), QPixmap(24, 21)};
  const std::array<QPixmap, 257> tooMany;
  CountingButton button;
  EXPECT_FALSE(button.SetCurrent(0));  // no list yet
  ASSERT_TRUE(button.SetBitmaps(kResponseCurveCount, button.pictures.data()));
  ASSERT_TRUE(button.SetCurrent(3));
  EXPECT_FALSE(button.SetBitmaps(2, nullptr));
  EXPECT_FALSE(button.SetBitmaps(2, mixed.data()));
  EXPECT_FALSE(button.SetBitmaps(257, tooMany.data()));
  EXPECT_FALSE(button.SetCurrent(4));
  EXPECT_FALSE(button.SetCurrent(unsigned(-1)));
  EXPECT_EQ(button.GetCurrent(), 3u);  // the four-picture list is still in use
  EXPECT_EQ(button.changes, 0);        // setting is not a step by the user

  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
  // A double-click (press, release, double-click, release) is two steps.
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseDClick(&button, Qt::LeftButton);
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 2u);
  EXPECT_EQ(button.changes, 3);

  // A shorter list lent later must not make the button step or draw past its end.
  ASSERT_TRUE(button.SetBitmaps(2, button.pictures.data()));
  button.grab();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
  ASSERT_TRUE(button.SetBitmaps(0, button.pictures.data()));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
  EXPECT_TRUE(button.SetBitmaps(256, tooMany.data()));  // the longest list allowed
}

TEST(CurveButton, ReportsEachStepForItsOwnInputOnly) {
  const std::pair<int, int> cases[] = {{1065, 0},  {1069, 4},  {1091, 5},  {1093, 7},
                                       {1064, -1}, {1070, -1}, {1090, -1}, {1094, -1}};  // -1: no controller row
  CountingButton pictures;
  for (auto [id, input] : cases) {
    SCOPED_TRACE(id);
    std::vector<std::pair<int, uint16_t>> reported;
    CCurveButton button(id);
    QObject::connect(&button, &CCurveButton::CurveChanged,
                     [&reported](int row, uint16_t code) { reported.emplace_back(row, code); });
    ASSERT_TRUE(button.SetBitmaps(kResponseCurveCount, pictures.pictures.data()));
    ASSERT_TRUE(button.SetCurrent(2));
    button.resize(24, 20);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);  // from the S curve back to the first
    using Steps = std::vector<std::pair<int, uint16_t>>;
    const Steps expected = input >= 0 ? Steps{{input, SCurve}, {input, Exponential}} : Steps{};
    EXPECT_EQ(reported, expected);
  }
}

TEST(SectionHeader, SetAlignmentRefusesContradictions) {
  const std::pair<int, bool> cases[] = {{0x05, true},  {0x06, false}, {0x03, true},  {0x0C, false},
                                        {0x30, false}, {0x11, false}, {0x21, false}, {0x0A, false},
                                        {0x18, true},  {0x24, true},  {0x12, true},  {0x00, true}};
  for (auto [flags, accepted] : cases) {
    SCOPED_TRACE(flags);
    CSectionHeader header;
    ASSERT_EQ(header.SetAlignment(0x28), 0x03);  // the initial flags come back
    EXPECT_EQ(header.SetAlignment(flags), accepted ? 0x28 : -1);
    EXPECT_EQ(header.Alignment(), accepted ? flags : 0x28);
  }
}

TEST(SectionHeader, CaptionPositionFollowsTheFlags) {
  const std::tuple<int, QSize, QPoint> cases[] = {
      {0x03, {40, 10}, {30, 5}}, {0x03, {41, 11}, {29, 4}},  // halves round toward zero
      {0x05, {40, 10}, {30, 0}}, {0x12, {40, 10}, {0, 5}},   {0x28, {40, 10}, {60, 10}},
      {0x00, {40, 10}, {0, 0}},  {0x03, {120, 10}, {-10, 5}}};  // wider than the header: both ends cut
  for (auto [flags, caption, expected] : cases) {
    SCOPED_TRACE(flags);
    CSectionHeader h;
    ASSERT_NE(h.SetAlignment(flags), -1);
    EXPECT_EQ(h.CaptionPosition(QSize(100, 20), caption), expected);
  }
}

}  // namespace
