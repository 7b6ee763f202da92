// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QShortcut>
#include <QTest>

#include "ui/controls/CNumericEdit.h"

namespace {

// One field in a window, bound to a byte that starts with a marker value.
struct Field {
  QWidget window;
  CNumericEdit* edit = new CNumericEdit(&window);
  uint8_t byte = 0xAA;
  Field() { edit->SetTarget(&byte); }
};

// Typing character by character: the text after each character and the byte at the end.
TEST(NumericEdit, TypingValidatesEveryCharacter) {
  struct Case {
    int minimum, maximum;
    std::string typed;
    std::vector<QString> texts;
    int byte;
  };
  const Case cases[] = {
      {0, 127, "150", {"1", "15", "127"}, 127},  // 150 is replaced by the nearer bound
      {0, 127, "12a", {"1", "12", "12"}, 12},    // a letter is removed at once
      {0, 127, "x7", {"", "7"}, 7},
      {0, 127, "007", {"0", "00", "007"}, 7},
      {5, 127, "1", {"5"}, 5},                   // below the minimum becomes the minimum
      {0, 60, "99", {"9", "60"}, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Field f;
    ASSERT_FALSE(f.edit->SetRange(c.maximum, c.maximum));  // an empty range changes nothing
    ASSERT_TRUE(f.edit->SetRange(c.minimum, c.maximum));
    for (size_t i = 0; i < c.typed.size(); ++i) {
      QTest::keyClicks(f.edit, QString(QChar(c.typed[i])));
      EXPECT_EQ(f.edit->text(), c.texts[i]) << "after character " << i;
    }
    EXPECT_EQ(f.byte, c.byte);
    EXPECT_EQ(f.edit->Value(), c.byte);
  }
}

TEST(NumericEdit, OnlyTheCharacterBeforeTheCaretIsExamined) {
  Field f;
  f.edit->setText("12");
  // A letter typed between the digits goes, and the caret stays where it was.
  f.edit->setCursorPosition(1);
  QTest::keyClicks(f.edit, "x");
  EXPECT_EQ(f.edit->text(), "12");
  EXPECT_EQ(f.edit->cursorPosition(), 1);
  EXPECT_EQ(f.byte, 12);

  // Pasting two letters removes only the second; the text still reads as 12.
  f.edit->setCursorPosition(2);
  f.edit->insert("ab");
  EXPECT_EQ(f.edit->text(), "12a");
  EXPECT_EQ(f.edit->cursorPosition(), 3);
  EXPECT_EQ(f.byte, 12);
  EXPECT_EQ(f.edit->Value(), 12);
}

TEST(NumericEdit, EmptyTextReadsAsZeroOrTheMinimum) {
  Field f;
  f.edit->setText("42");
  f.edit->selectAll();
  QTest::keyClick(f.edit, Qt::Key_Backspace);
  EXPECT_EQ(f.edit->text(), "");
  EXPECT_EQ(f.byte, 0);

  Field g;
  ASSERT_TRUE(g.edit->SetRange(10, 127));
  g.edit->setText("42");
  g.edit->selectAll();
  QTest::keyClick(g.edit, Qt::Key_Delete);
  EXPECT_EQ(g.edit->text(), "10");
  EXPECT_EQ(g.byte, 10);
}

TEST(NumericEdit, TextSetByTheWindowIsValidatedAndWritten) {
  Field f;
  f.edit->setText("4294967297");  // too big for 32 bits: clamped, not wrapped to 1
  EXPECT_EQ(f.edit->text(), "127");
  EXPECT_EQ(f.byte, 127);

  // Rebinding sends later values to the new byte only.
  uint8_t other = 0;
  f.edit->SetTarget(&other);
  f.edit->setText("33");
  EXPECT_EQ(other, 33);
  EXPECT_EQ(f.byte, 127);

  f.edit->SetTarget(nullptr);
  f.edit->setText("34");
  EXPECT_EQ(f.edit->Value(), 34);
}

// The stepping keys start from the last accepted value and stop at the bounds.
TEST(NumericEdit, SteppingKeys) {
  struct Case {
    int start;
    Qt::Key key;
    int expected;
  };
  const Case cases[] = {
      {125, Qt::Key_PageUp, 127}, {3, Qt::Key_PageDown, 0}, {50, Qt::Key_PageUp, 60},
      {50, Qt::Key_PageDown, 40}, {50, Qt::Key_Up, 51},     {50, Qt::Key_Down, 49},
      {127, Qt::Key_Up, 127},     {0, Qt::Key_Down, 0},      {50, Qt::Key_Home, 127},
      {50, Qt::Key_End, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " key " << c.key);
    Field f;
    f.edit->setText(QString::number(c.start));
    QTest::keyClick(f.edit, c.key);
    EXPECT_EQ(f.edit->text(), QString::number(c.expected));
    EXPECT_EQ(f.edit->Value(), c.expected);
    EXPECT_EQ(f.byte, c.expected);
  }

  // With a letter left in the text by a paste, Up still counts from 12.
  Field f;
  f.edit->setText("12");
  f.edit->setCursorPosition(2);
  f.edit->insert("ab");
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "13");

  // A step that leaves the text as it was still writes the value.
  Field g;
  g.edit->setText("127");
  uint8_t fresh = 0;
  g.edit->SetTarget(&fresh);
  QTest::keyClick(g.edit, Qt::Key_Home);
  EXPECT_EQ(fresh, 127);
}

TEST(NumericEdit, SteppingKeysWinOverWindowShortcuts) {
  Field f;
  int fired = 0;
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Up), &f.window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, [&] { ++fired; });
  f.window.show();
  f.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
  f.edit->setFocus();
  f.edit->setText("5");
  QTest::keyClick(f.edit, Qt::Key_Up);
  EXPECT_EQ(f.edit->text(), "6");
  EXPECT_EQ(fired, 0);
}

}  // namespace
