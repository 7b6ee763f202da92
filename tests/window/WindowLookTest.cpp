// SPDX-License-Identifier: MIT
// What a player sees: the pixels the window shows on the screen after it has
// repainted itself, not what a fresh rendering of a widget would show; and
// what the tablet area's painter draws, with the tabs and tilt line it uses.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "model/Configuration.h"
#include "music/NoteNames.h"
#include "tablet/layers/MouseTabletService.h"
#include "tests/support/WindowFakes.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"
#include "ui/window/OrientationScaling.h"
#include "ui/window/TabStrip.h"
#include "ui/window/TabletAreaPainter.h"

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
  const QSize area = window->Control(kTabletArea)->size();
  const QPoint middle(area.width() / 2, area.height() / 2);
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

TEST(TabStrip, OverlapColumnsSelectBothNeighbours) {
  const TabStrip tabs(QRect(0, 0, 546, 497), 530);
  const std::tuple<int, int, std::vector<int>> cases[] = {
      {0, 497, {0}},    {45, 500, {0, 1}}, {46, 500, {1}}, {136, 529, {2, 3}}, {500, 510, {10, 11}},
      {545, 510, {11}}, {546, 510, {}},    {300, 496, {}}, {300, 530, {}},     {-1, 510, {}}};
  for (const auto& [x, y, hits] : cases) EXPECT_EQ(tabs.TabsAt(QPoint(x, y)), hits) << x << "," << y;
  EXPECT_EQ(tabs.TabRect(0), QRect(0, 497, 46, 33));
}

TEST(OrientationScaling, FromTheTabletAxesAndTiltLine) {
  const std::tuple<OrientationAxes, bool, double, double> axes[] = {
      {{true, 3600u << 16, 3600u << 16, 900}, true, 3600 / (2 * M_PI), 250.0},
      {{true, (3600u << 16) | 0x8000u, 1000u << 16, 500}, true, 3600.5 / (2 * M_PI), 500.0},
      {{false, 3600u << 16, 3600u << 16, 900}, false, 1.0, 1.0},
      {{true, 0, 3600u << 16, 900}, false, 1.0, 1.0}};
  for (const auto& [a, supported, perRadian, altitudeScale] : axes) {
    const OrientationScaling s = OrientationScaling::FromAxes(a);
    EXPECT_EQ(s.orientationSupported, supported);
    EXPECT_NEAR(s.azimuthPerRadian, perRadian, 1e-9);
    EXPECT_NEAR(s.altitudeScale, altitudeScale, 1e-9);
  }
  const OrientationScaling s = OrientationScaling::FromAxes({true, 3600u << 16, 3600u << 16, 900});
  const int tilts[][4] = {{900, 900, 0, 0}, {900, 450, 125, 0}, {1800, 450, 0, -125}, {2700, -450, -125, 0}};
  for (const auto& [azimuth, altitude, dx, dy] : tilts) {
    const TiltVector t = ComputeTilt(s, azimuth, altitude);
    EXPECT_EQ(QPoint(t.dx, t.dy), QPoint(dx, dy)) << azimuth << "/" << altitude;
  }
  const TiltVector none = ComputeTilt(OrientationScaling{}, 900, 450);
  EXPECT_EQ(QPoint(none.dx, none.dy), QPoint(0, 0));
}

TEST(TabletAreaPainter, MarkerOverSlotColourOrInvertedOverPicture) {
  const QColor slot(180, 180, 10), white(Qt::white), black(Qt::black), dark(10, 20, 30), inverse(245, 235, 225);
  QImage picture(200, 200, QImage::Format_RGB32);
  picture.fill(dark);
  struct Case {
    const QImage* picture;
    uint32_t pressure;  // the circle's radius is pressure / 8
    TiltVector tilt;
    std::vector<std::tuple<int, int, QColor>> pixels;
  };
  const Case cases[] = {
      {nullptr,
       800,
       {125, 0},
       {{5, 5, slot},
        {190, 190, slot},
        {140, 140, white},
        {0, 100, black},
        {80, 100, black},
        {100, 125, white},
        {180, 100, black},
        {100, 60, white}}},
      {nullptr, 0, {}, {{100, 90, black}, {80, 100, black}, {79, 100, slot}, {105, 105, slot}}},  // only the cross
      {&picture,
       400,
       {0, 60},
       {{5, 5, dark}, {85, 100, inverse}, {100, 70, inverse}, {100, 150, inverse}, {120, 120, dark}}}};
  for (const Case& c : cases) {
    QImage surface(200, 200, QImage::Format_RGB32);
    const PenState pen{100, 100, c.pressure};
    TabletAreaPainter::PaintArea(surface, SlotColor(2), c.picture, &pen, c.tilt);
    for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(QColor(surface.pixel(x, y)), colour) << x << "," << y;
  }
}

TEST(TabletAreaPainter, TabsInSlotColours) {
  QImage image(600, 560, QImage::Format_RGB32);
  image.fill(Qt::gray);
  const TabStrip tabs(QRect(24, 11, 546, 497), 530);
  {
    QPainter painter(&image);
    TabletAreaPainter::PaintTabs(painter, tabs);
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const QRect r = tabs.TabRect(i);
    EXPECT_EQ(QColor(image.pixel(r.left() + 2, r.top() + 1)), SlotColor(i)) << i;
    bool white = false;  // the row through the middle crosses the white number
    for (int x = r.left(); x <= r.right(); ++x)
      white = white || QColor(image.pixel(x, r.center().y())).lightness() > 200;
    EXPECT_TRUE(white) << i;
  }
  EXPECT_EQ(QColor(image.pixel(24, 10)), QColor(Qt::gray));   // above the strip
  EXPECT_EQ(QColor(image.pixel(24, 530)), QColor(Qt::gray));  // below it
}

}  // namespace
