// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <string>

#include <QTest>

#include "engine/PerformanceEngine.h"
#include "midi/MidiOutService.h"
#include "ui/bitmaps/QuillBitmaps.h"
#include "ui/controls/CBitmapCycleButton.h"
#include "ui/controls/CCurveButton.h"

namespace {

std::array<QPixmap, 4> CurvePictures() {
  return {QuillBitmaps::CurveBitmap(0), QuillBitmaps::CurveBitmap(1), QuillBitmaps::CurveBitmap(2),
          QuillBitmaps::CurveBitmap(3)};
}

// Counts the steps the base class reports.
class CountingButton : public CBitmapCycleButton {
 public:
  int changes = 0;
  void OnValueChanged() override { ++changes; }
};

TEST(BitmapCycleButton, SettersRefuseBadArgumentsAndChangeNothing) {
  const auto pictures = CurvePictures();
  const std::array<QPixmap, 2> mixed = {QPixmap(24, 20), QPixmap(24, 21)};
  const std::array<QPixmap, 257> tooMany;
  CountingButton button;
  EXPECT_FALSE(button.SetCurrent(0));  // no list yet
  ASSERT_TRUE(button.SetBitmaps(4, pictures.data()));
  ASSERT_TRUE(button.SetCurrent(3));

  EXPECT_FALSE(button.SetBitmaps(2, nullptr));
  EXPECT_FALSE(button.SetBitmaps(2, mixed.data()));
  EXPECT_FALSE(button.SetBitmaps(257, tooMany.data()));
  EXPECT_EQ(button.GetCurrent(), 3u);  // the four-picture list is still in use
  EXPECT_FALSE(button.SetCurrent(4));
  EXPECT_FALSE(button.SetCurrent(unsigned(-1)));
  EXPECT_EQ(button.GetCurrent(), 3u);
  EXPECT_TRUE(button.SetCurrent(0));
  EXPECT_TRUE(button.SetBitmaps(256, tooMany.data()));
  EXPECT_EQ(button.GetCurrent(), 0u);
  EXPECT_EQ(button.changes, 0);  // setting is not a step by the user
}

TEST(BitmapCycleButton, ClicksStepAndWrapRound) {
  const auto pictures = CurvePictures();
  CountingButton button;
  ASSERT_TRUE(button.SetBitmaps(4, pictures.data()));
  button.resize(24, 20);
  button.show();
  ASSERT_TRUE(button.SetCurrent(3));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
  EXPECT_EQ(button.changes, 1);
  // A double-click (press, release, double-click, release) is two steps, as
  // two separate clicks would be.
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseDClick(&button, Qt::LeftButton);
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 2u);
  EXPECT_EQ(button.changes, 3);
}

// A shorter list lent later must not make the button step or draw past its end.
TEST(BitmapCycleButton, ShorterListRestartsAtTheFirstPicture) {
  const auto pictures = CurvePictures();
  CountingButton button;
  button.resize(24, 20);
  ASSERT_TRUE(button.SetBitmaps(4, pictures.data()));
  ASSERT_TRUE(button.SetCurrent(3));
  ASSERT_TRUE(button.SetBitmaps(2, pictures.data()));
  button.grab();  // draws nothing rather than reading beyond the list
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
  ASSERT_TRUE(button.SetBitmaps(0, pictures.data()));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0u);
}

// Minimal services for an engine that is only asked to store curve codes.
class NoMidi : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 1; }
  std::string GetDeviceName(unsigned) override { return "test"; }
  bool Open(unsigned) override { return true; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t) override { return true; }
};
class NoMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view) override { return true; }
};
class NoDisplay : public EngineDisplay {
 public:
  void SetDisplayText(int, std::string_view) override {}
  void InvalidateTabletArea() override {}
  void InvalidateWindow() override {}
  void SetSectionHeaderColors(Rgb, Rgb) override {}
  void ShowPortAndChannel(const Configuration&) override {}
  void ShowSettings(const Configuration&) override {}
};
class NoTools : public ToolNameSource {
 public:
  std::string ToolName(uint32_t) const override { return "Pen"; }
};

struct EngineFixture : testing::Test {
  NoMidi midi;
  NoMessages messages;
  NoDisplay display;
  NoTools tools;
  PerformanceEngine engine{midi, messages, display, tools};
  std::array<QPixmap, 4> pictures = CurvePictures();
  void SetUp() override { engine.Start(); }
};

TEST_F(EngineFixture, CurveButtonStoresItsCodeForItsOwnInputOnly) {
  struct Case {
    int id;
    int input;  // -1: the id belongs to no controller row
  };
  const Case cases[] = {{1065, 0}, {1066, 1}, {1067, 2}, {1068, 3}, {1069, 4}, {1091, 5},
                        {1092, 6}, {1093, 7}, {1064, -1}, {1070, -1}, {1090, -1}, {1094, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    engine.ResetConfigurations();
    const auto before = engine.CurrentConfiguration().map;
    CCurveButton button(c.id, engine);
    EXPECT_EQ(button.objectName(), QString::number(c.id));
    ASSERT_TRUE(button.SetBitmaps(4, pictures.data()));
    button.resize(24, 20);
    ASSERT_TRUE(button.SetCurrent(2));
    QTest::mouseClick(&button, Qt::LeftButton);
    auto expected = before;
    if (c.input >= 0) expected[c.input] = SCurve;
    EXPECT_EQ(engine.CurrentConfiguration().map, expected);
    QTest::mouseClick(&button, Qt::LeftButton);  // from the S curve back to the first
    if (c.input >= 0) expected[c.input] = Exponential;
    EXPECT_EQ(engine.CurrentConfiguration().map, expected);
  }
}

}  // namespace
