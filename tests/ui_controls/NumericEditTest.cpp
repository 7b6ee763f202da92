// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include <QShortcut>
#include <QTest>

#include "ui/controls/CNumericEdit.h"

namespace {

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
