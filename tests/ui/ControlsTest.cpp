// SPDX-License-Identifier: MIT
// The small controls, the number field among them, and the pictures they show.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <QImage>
#include <QShortcut>
#include <QTest>

#include "model/Configuration.h"
#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/bitmaps/QuillBitmaps.h"
#include "ui/controls/CBitmapCycleButton.h"
#include "ui/controls/CCurveButton.h"
#include "ui/controls/CNumericEdit.h"
#include "ui/controls/CSectionHeader.h"

namespace {

// The four curve pictures, as the window gives them to its curve buttons.
QList<QPixmap> CurvePictures() {
  QList<QPixmap> pictures;
  for (int code = 0; code < kResponseCurveCount; ++code) pictures.append(QuillBitmaps::CurveBitmap(code));
  return pictures;
}

TEST(BitmapCycleButton, ClicksStepAndWrapRoundWithinTheList) {
  CBitmapCycleButton button;
  std::vector<qsizetype> steps;
  QObject::connect(&button, &CBitmapCycleButton::ValueChanged, [&steps](qsizetype index) { steps.push_back(index); });
  button.resize(24, 20);
  EXPECT_FALSE(button.SetCurrent(0));  // no pictures yet
  button.SetBitmaps(CurvePictures());
  ASSERT_TRUE(button.SetCurrent(3));
  EXPECT_FALSE(button.SetCurrent(4));  // a code past the list keeps the picture shown
  EXPECT_EQ(button.GetCurrent(), 3);
  EXPECT_TRUE(steps.empty());  // setting is not a step by the user

  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0);
  // A double-click (press, release, double-click, release) is two steps.
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseDClick(&button, Qt::LeftButton);
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(steps, (std::vector<qsizetype>{0, 1, 2}));

  // A shorter list given later must not make the button step or draw past its end.
  button.SetBitmaps(CurvePictures().first(2));
  button.grab();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0);
  button.SetBitmaps({});
  button.grab();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.GetCurrent(), 0);
}

TEST(CurveButton, ReportsEachStepForItsOwnInput) {
  for (int input : {kInputX, kInputAngle, kInputH, kInputB}) {
    SCOPED_TRACE(input);
    std::vector<std::pair<int, uint16_t>> reported;
    CCurveButton button(input);
    QObject::connect(&button, &CCurveButton::CurveChanged,
                     [&reported](int row, uint16_t code) { reported.emplace_back(row, code); });
    button.SetBitmaps(CurvePictures());
    ASSERT_TRUE(button.SetCurrent(2));
    button.resize(24, 20);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);  // from the S curve back to the first
    using Steps = std::vector<std::pair<int, uint16_t>>;
    const Steps expected{{input, SCurve}, {input, Exponential}};
    EXPECT_EQ(reported, expected);
  }
}

TEST(SectionHeader, CaptionPositionFollowsTheAlignment) {
  const std::tuple<Qt::Alignment, QSize, QPoint> cases[] = {
      {Qt::AlignCenter, {40, 10}, {30, 5}},
      {Qt::AlignCenter, {41, 11}, {29, 4}},    // halves round toward zero
      {Qt::AlignCenter, {120, 10}, {-10, 5}},  // wider than the header: both ends cut
      {Qt::AlignHCenter | Qt::AlignTop, {40, 10}, {30, 0}},
      {Qt::AlignRight | Qt::AlignBottom, {40, 10}, {60, 10}},
      {Qt::Alignment(), {40, 10}, {0, 0}}};
  for (auto [alignment, caption, expected] : cases) {
    SCOPED_TRACE(alignment.toInt());
    CSectionHeader header;
    header.SetAlignment(alignment);
    EXPECT_EQ(header.CaptionPosition(QSize(100, 20), caption), expected);
  }
}

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

// One field in a window; the value it last reported lands in a byte that
// starts with a marker value.
struct Field {
  QWidget window;
  CNumericEdit* edit = new CNumericEdit(&window);
  uint8_t byte = 0xAA;
  explicit Field(int minimum = 0, int maximum = 127) {
    QObject::connect(edit, &CNumericEdit::ValueAccepted, [this](int value) { byte = static_cast<uint8_t>(value); });
    EXPECT_FALSE(edit->SetRange(maximum, maximum));  // an empty range changes nothing
    EXPECT_TRUE(edit->SetRange(minimum, maximum));
  }
};

// Typing character by character: the text after each character and the byte at the end.
TEST(NumericEdit, TypingValidatesEveryCharacter) {
  struct Case {
    int minimum, maximum;
    std::string typed;
    std::vector<QString> texts;
    int byte;
  };
  const Case cases[] = {{0, 127, "150", {"1", "15", "127"}, 127},  // 150 is replaced by the nearer bound
                        {0, 127, "12a", {"1", "12", "12"}, 12},    // a letter is removed at once
                        {0, 127, "x7", {"", "7"}, 7},
                        {0, 127, "007", {"0", "00", "007"}, 7},
                        {5, 127, "1", {"5"}, 5},
                        {0, 60, "99", {"9", "60"}, 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Field f(c.minimum, c.maximum);
    for (size_t i = 0; i < c.typed.size(); ++i) {
      QTest::keyClicks(f.edit, QString(QChar(c.typed[i])));
      EXPECT_EQ(f.edit->text(), c.texts[i]) << "after character " << i;
    }
    EXPECT_EQ(f.byte, c.byte);
    EXPECT_EQ(f.edit->Value(), c.byte);
  }
}

TEST(NumericEdit, SetAndEmptiedTexts) {
  Field f, g(10);
  f.edit->setText("4294967297");  // too big for 32 bits: clamped, not wrapped to 1
  EXPECT_EQ(f.byte, 127);
  for (Field* x : {&f, &g}) {
    x->edit->setText("42");
    x->edit->selectAll();
    QTest::keyClick(x->edit, Qt::Key_Backspace);
  }
  EXPECT_EQ(f.edit->text(), "");  // empty reads as zero, or as the minimum
  EXPECT_EQ(f.byte, 0);
  EXPECT_EQ(g.edit->text(), "10");
  EXPECT_EQ(g.byte, 10);
}

TEST(NumericEdit, OnlyTheCharacterBeforeTheCaretIsExamined) {
  Field f;
  f.edit->setText("12");
  f.edit->setCursorPosition(1);  // a letter typed between the digits goes, the caret stays
  QTest::keyClicks(f.edit, "x");
  EXPECT_EQ(f.edit->text(), "12");
  EXPECT_EQ(f.edit->cursorPosition(), 1);
  f.edit->setCursorPosition(2);  // pasting two letters removes only the second
  f.edit->insert("ab");
  EXPECT_EQ(f.edit->text(), "12a");
  EXPECT_EQ(f.byte, 12);
  QTest::keyClick(f.edit, Qt::Key_Up);  // and Up counts from 12
  EXPECT_EQ(f.edit->text(), "13");
}

// The stepping keys start from the last accepted value, stop at the bounds, and
// write the value even when the text stays as it was.
TEST(NumericEdit, SteppingKeys) {
  const std::tuple<int, Qt::Key, int> cases[] = {
      {125, Qt::Key_PageUp, 127}, {3, Qt::Key_PageDown, 0}, {50, Qt::Key_PageUp, 60},
      {50, Qt::Key_PageDown, 40}, {50, Qt::Key_Down, 49},   {127, Qt::Key_Up, 127},
      {0, Qt::Key_Down, 0},       {50, Qt::Key_Home, 127},  {0, Qt::Key_End, 0}};
  for (auto [start, key, expected] : cases) {
    SCOPED_TRACE(testing::Message() << start << " key " << key);
    Field f;
    f.edit->setText(QString::number(start));
    int reported = -1;
    QObject::connect(f.edit, &CNumericEdit::ValueAccepted, [&reported](int value) { reported = value; });
    QTest::keyClick(f.edit, key);
    EXPECT_EQ(f.edit->text(), QString::number(expected));
    EXPECT_EQ(reported, expected);
  }
}

TEST(NumericEdit, SteppingKeysWinOverWindowShortcuts) {
  Field f;
  int fired = 0;
  QObject::connect(new QShortcut(QKeySequence(Qt::Key_Up), &f.window), &QShortcut::activated, [&] { ++fired; });
  f.window.show();
  f.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
  f.edit->setFocus();
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "1");
  EXPECT_EQ(fired, 0);
}

}  // namespace
