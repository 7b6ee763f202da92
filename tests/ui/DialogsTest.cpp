// SPDX-License-Identifier: MIT
// The dialogs: About with its link, and the keyboard that chooses a note limit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/dialogs/CStaticLink.h"

namespace {

// Stands in for the desktop's handler of web addresses while it exists. Without
// it the offscreen platform opens nothing, as a desktop without a browser would.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;
  UrlRecorder() { QDesktopServices::setUrlHandler("https", this, "Open"); }
  ~UrlRecorder() override { QDesktopServices::unsetUrlHandler("https"); }
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }

TEST(AboutDlg, ShowsNameVersionCreditAndABlueLinkThatOpensAndTurnsPurple) {
  UrlRecorder handler;
  CAboutDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "About Quill");
  QStringList texts;
  for (QLabel* label : dlg.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains("Quill version 1.3"));
  EXPECT_TRUE(texts.contains(CAboutDlg::kCredit));
  ASSERT_EQ(dlg.findChild<CStaticLink*>("1050"), dlg.Link());
  EXPECT_EQ(dlg.Link()->text(), CAboutDlg::kAddress);
  EXPECT_EQ(dlg.Link()->LinkColor(), CStaticLink::kUnvisitedColor);
  EXPECT_TRUE(dlg.Link()->font().underline());
  EXPECT_EQ(dlg.Link()->cursor().shape(), Qt::PointingHandCursor);

  dlg.show();
  Click(dlg.Link());
  Click(dlg.Link());  // a visited link opens again
  EXPECT_EQ(handler.opened, QList<QUrl>({QUrl(CAboutDlg::kAddress), QUrl(CAboutDlg::kAddress)}));
  EXPECT_EQ(dlg.Link()->palette().color(QPalette::WindowText), CStaticLink::kVisitedColor);
  EXPECT_EQ(CAboutDlg().Link()->LinkColor(), CStaticLink::kUnvisitedColor);  // each About box starts afresh
}

TEST(StaticLink, NothingToOpenMakesItPlainText) {
  CStaticLink link;
  link.setText("https://quill.example.org");
  link.resize(200, 20);
  link.show();
  Click(&link);  // no handler: every attempt fails
  EXPECT_TRUE(link.IsBroken());
  EXPECT_FALSE(link.font().underline());
  EXPECT_NE(link.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QApplication::palette(&link).color(QPalette::WindowText));
  UrlRecorder handler;  // later clicks do nothing, even once a handler exists
  Click(&link);
  EXPECT_TRUE(handler.opened.isEmpty());
}

QScrollBar* Bar(CKeySelectDlg& dlg) { return dlg.findChild<QScrollBar*>("1121"); }

// Scrolls as dragging the thumb does; 80, one key beyond the bar, needs a step at its end.
void ScrollTo(CKeySelectDlg& dlg, int first) {
  Bar(dlg)->setSliderPosition(std::min(first, 79));
  if (first == 80) Bar(dlg)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  ASSERT_EQ(dlg.FirstVisibleKey(), first);
}

TEST(KeySelectDlg, KeyAtPointAtTheEdgesOfKeysAndArea) {
  struct Case {
    int first, x, y;
    std::optional<uint8_t> key;
  };
  const std::nullopt_t none = std::nullopt;
  // Lower part: white keys of 18 pixels from x 10; upper part: strips of 12, 14, 4, ... columns.
  // Rows: the band and the scroll bar are no keys; 68 is upper, 69 lower. Columns: the margins.
  // Scrolled views start with the first visible key in both parts.
  const Case cases[] = {{0, 27, 80, 0},    {0, 28, 80, 2},   {0, 22, 40, 0},     {0, 23, 40, 1},     {0, 36, 40, 1},
                        {0, 37, 40, 2},    {0, 40, 40, 2},   {0, 41, 40, 3},     {0, 137, 40, 12},   {0, 30, 22, none},
                        {0, 30, 23, 1},    {0, 30, 68, 1},   {0, 30, 69, 2},     {0, 30, 99, 2},     {0, 30, 100, none},
                        {0, 10, 80, none}, {0, 11, 80, 0},   {0, 513, 80, 47},   {0, 514, 80, none}, {61, 11, 40, 61},
                        {61, 11, 80, 60},  {61, 24, 80, 62}, {80, 513, 40, 127}, {80, 513, 80, 127}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first " << c.first << " at " << c.x << "," << c.y);
    CKeySelectDlg dlg;
    ScrollTo(dlg, c.first);
    EXPECT_EQ(dlg.KeyAtPoint(c.x, c.y), c.key);
  }
}

// A page is one key; at the right end the view goes one key beyond the bar, and no further.
TEST(KeySelectDlg, ScrollRequests) {
  using A = QAbstractSlider::SliderAction;
  struct Step {
    A action;
    int first, bar;
  };  // SliderMove: dragging the thumb to the end
  const Step steps[] = {
      {A::SliderSingleStepSub, 0, 0}, {A::SliderPageStepSub, 0, 0},     {A::SliderSingleStepAdd, 1, 1},
      {A::SliderPageStepAdd, 2, 2},   {A::SliderPageStepSub, 1, 1},     {A::SliderToMaximum, 1, 1},
      {A::SliderToMinimum, 1, 1},     {A::SliderMove, 79, 79},          {A::SliderSingleStepAdd, 80, 79},
      {A::SliderPageStepAdd, 80, 79}, {A::SliderSingleStepSub, 78, 78}, {A::SliderPageStepAdd, 79, 79}};
  CKeySelectDlg dlg;
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.action << " to " << s.first);
    if (s.action == A::SliderMove)
      Bar(dlg)->setSliderPosition(79);
    else
      Bar(dlg)->triggerAction(s.action);
    EXPECT_EQ(dlg.FirstVisibleKey(), s.first);
    EXPECT_EQ(Bar(dlg)->value(), s.bar);
  }
}

TEST(KeySelectDlg, TitleNamesTheKeyUnderThePointerAndAClickChoosesIt) {
  CKeySelectDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Select a key: 60");
  dlg.open();
  ScrollTo(dlg, 60);
  QTest::mouseMove(&dlg, QPoint(30, 40));  // the C# strip after C3
  EXPECT_EQ(dlg.windowTitle(), "Select a key: C#3");
  QTest::mouseMove(&dlg, QPoint(30, 15));  // over the label band: the title stays
  EXPECT_EQ(dlg.windowTitle(), "Select a key: C#3");
  // The band, the scroll bar's row and the right button choose nothing.
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 22));
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 100));
  QTest::mouseClick(&dlg, Qt::RightButton, {}, QPoint(30, 80));
  EXPECT_TRUE(dlg.isVisible());
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(30, 40));
  EXPECT_TRUE(dlg.KeyChosen());
  EXPECT_EQ(dlg.GetSelectedKey(), 61);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(KeySelectDlg, ClosingWithoutAClickChoosesNothing) {
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    CKeySelectDlg dlg;
    dlg.open();
    QTest::keyClick(&dlg, key);
    EXPECT_FALSE(dlg.isVisible()) << key;
    EXPECT_FALSE(dlg.KeyChosen()) << key;
    EXPECT_EQ(dlg.GetSelectedKey(), 60) << key;
  }
}

// What the dialog paints lines up with what KeyAtPoint answers, whichever way the view is scrolled.
TEST(KeySelectDlg, PaintedKeysMatchKeyAtPoint) {
  auto isBlack = [](QColor c) { return c.red() < 128 && c.green() < 128 && c.blue() < 128; };
  for (int first : {0, 37, 80}) {
    CKeySelectDlg dlg;
    ScrollTo(dlg, first);
    const QImage shown = dlg.grab().toImage();
    for (int x = 11; x < dlg.width() - 10; ++x) {
      const auto upper = dlg.KeyAtPoint(x, 45);
      ASSERT_TRUE(upper.has_value()) << x;
      EXPECT_EQ(isBlack(shown.pixelColor(x, 45)), KeyboardGeometry::IsBlackKey(*upper)) << first << " x " << x;
      EXPECT_FALSE(isBlack(shown.pixelColor(x, 85))) << first << " x " << x;  // the lower part: white keys only
    }
  }
}

}  // namespace

#include "DialogsTest.moc"
