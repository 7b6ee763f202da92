// SPDX-License-Identifier: MIT
// What a player sees on the screen: the pixels the window shows after it has
// repainted itself, not what a fresh rendering of a widget would show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "music/NoteNames.h"
#include "tablet/layers/MouseTabletService.h"
#include "tests/window/WindowFakes.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"

namespace {

using namespace ControlIds;

/// A main window over fakes, shown and initialised as at start-up.
class WindowLookTest : public ::testing::Test, protected WindowOverFakes {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window->OnInitDialog());
    window->show();
    Settle();
  }
  /// Lets the window repaint what it has invalidated.
  static void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
  /// The window as it is on the screen now, in logical pixels.
  QImage OnScreen() const {
    QImage shot = window->screen()->grabWindow(window->winId()).toImage();
    return shot.scaled(window->size());
  }
  QColor PixelOf(const QImage& shot, int id, QPoint inside) const {
    return QColor(shot.pixel(window->Control(id)->geometry().topLeft() + inside));
  }
};

TEST_F(WindowLookTest, SectionHeadersShowTheCurrentPresetsColour) {
  auto press = [this](int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &event);
    Settle();
  };
  const std::pair<int, int> steps[] = {{Qt::Key_F2, 1}, {Qt::Key_F6, 5}, {Qt::Key_F1, 0}};
  for (const auto& [key, slot] : steps) {
    press(key);
    const QImage shot = OnScreen();
    for (int id : kSectionHeaders) EXPECT_EQ(PixelOf(shot, id, {2, 2}), SlotColor(slot)) << id << " slot " << slot;
    EXPECT_EQ(PixelOf(shot, kTabletArea, {300, 300}), SlotColor(slot));
  }
}

TEST_F(WindowLookTest, ThePenMarkerAppearsWithTheFirstPacket) {
  const QColor slot = SlotColor(0);
  QImage shot = OnScreen();
  for (QPoint p : {QPoint(0, 0), QPoint(10, 0), QPoint(0, 10), QPoint(1, 1)}) {
    EXPECT_EQ(PixelOf(shot, kTabletArea, p), slot) << p.x() << "," << p.y();
  }
  // A pen hovering in the middle of the screen: the cross sits in the middle of the area.
  const QSize screen = window->screen()->geometry().size();
  tablet.Deliver({.cursor = 1, .x = screen.width() / 2, .y = screen.height() / 2});
  Settle();
  shot = OnScreen();
  const QPoint middle(273, 248);
  EXPECT_EQ(PixelOf(shot, kTabletArea, middle + QPoint(10, 0)), QColor(Qt::black));
  EXPECT_EQ(PixelOf(shot, kTabletArea, {10, 0}), slot);
}

TEST_F(WindowLookTest, TheKeyboardOpensWhereTheLimitIs) {
  struct Case {
    int button;
    uint8_t limit;   // set before the keyboard opens
    uint8_t chosen;  // the key clicked then; above 127 none: the keyboard is closed without a choice
  };
  const Case cases[] = {
      {kMaxKey, 96, 100}, {kMinKey, 24, 21}, {kMinKey, 0, 2}, {kMaxKey, 127, 124}, {kMinKey, 30, 200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.limit));
    window->Engine().SetNoteLimit(c.button == kMinKey ? NoteLimit::Lower : NoteLimit::Upper, c.limit);
    bool limitInView = false, clicked = false;
    QTimer::singleShot(0, [&] {
      auto* keyboard = qobject_cast<CKeySelectDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(keyboard, nullptr);
      // Find the limit and the key to click among the keys shown, then click.
      QPoint chosenAt;
      for (int x = 11; x < keyboard->width() - 10; ++x) {
        if (keyboard->KeyAtPoint(x, 90) == c.limit || keyboard->KeyAtPoint(x, 40) == c.limit) limitInView = true;
        if (chosenAt.isNull() && keyboard->KeyAtPoint(x, 40) == c.chosen) chosenAt = QPoint(x, 40);
      }
      if (chosenAt.isNull()) {
        keyboard->reject();
        return;
      }
      QMouseEvent click(QEvent::MouseButtonPress, QPointF(chosenAt), QPointF(keyboard->mapToGlobal(chosenAt)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(keyboard, &click);
      clicked = true;
    });
    auto* name = qobject_cast<QLineEdit*>(window->Control(c.button == kMinKey ? kMinNoteName : kMaxNoteName));
    const QString shown = name->text();
    qobject_cast<QAbstractButton*>(window->Control(c.button))->click();
    EXPECT_TRUE(limitInView);
    ASSERT_EQ(clicked, c.chosen <= 127);
    const Configuration& after = window->Engine().CurrentConfiguration();
    EXPECT_EQ(c.button == kMinKey ? after.minNote : after.maxNote, clicked ? c.chosen : c.limit);
    EXPECT_EQ(name->text(), clicked ? QString::fromStdString(FormatNoteName(c.chosen)) : shown);
  }
}

TEST(WindowWithTheMouse, TheDeviceIsTheMouse) {
  RecordingMidi midi{1};
  MouseTabletService mouse;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  CTabletMidiDlg window(midi, mouse, OrientationScaling::FromAxes(mouse.Orientation()), FileLocations{}, copyBuffer,
                        &messages);
  mouse.SetWindow(&window, window.TabletAreaWidget());
  ASSERT_TRUE(window.OnInitDialog());
  EXPECT_EQ(qobject_cast<QLabel*>(window.Control(kDeviceName))->text(), "Mouse");
  window.done(0);
}

}  // namespace
