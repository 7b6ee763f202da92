// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CStaticLink.h"

namespace {

// Stands in for the desktop's handler of web addresses.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

// Installs the recorder for web addresses while a test runs. Without it the
// offscreen platform opens nothing, as a desktop without a browser would.
struct Handler {
  UrlRecorder recorder;
  Handler() {
    QDesktopServices::setUrlHandler("https", &recorder, "Open");
    QDesktopServices::setUrlHandler("http", &recorder, "Open");
  }
  ~Handler() {
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("http");
  }
};

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }

TEST(AboutDlg, ShowsNameVersionCreditAndLink) {
  CAboutDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "About Quill");
  QStringList texts;
  for (QLabel* label : dlg.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains("Quill version 1.3"));
  EXPECT_TRUE(texts.contains(CAboutDlg::kCredit));
  ASSERT_NE(dlg.findChild<CStaticLink*>("1050"), nullptr);
  EXPECT_EQ(dlg.Link()->text(), CAboutDlg::kAddress);
  EXPECT_EQ(dlg.Link()->LinkColor(), CStaticLink::kUnvisitedColor);
  EXPECT_TRUE(dlg.Link()->font().underline());
  EXPECT_EQ(dlg.Link()->cursor().shape(), Qt::PointingHandCursor);
}

TEST(AboutDlg, ClickOpensTheShownAddressAndTurnsPurple) {
  Handler handler;
  CAboutDlg dlg;
  dlg.show();
  Click(dlg.Link());
  ASSERT_EQ(handler.recorder.opened.size(), 1);
  EXPECT_EQ(handler.recorder.opened[0], QUrl(CAboutDlg::kAddress));
  EXPECT_EQ(dlg.Link()->LinkColor(), CStaticLink::kVisitedColor);
  EXPECT_EQ(dlg.Link()->palette().color(QPalette::WindowText), CStaticLink::kVisitedColor);
  Click(dlg.Link());  // a visited link opens again
  EXPECT_EQ(handler.recorder.opened.size(), 2);

  // Each About box starts with a fresh, blue link.
  CAboutDlg again;
  EXPECT_EQ(again.Link()->LinkColor(), CStaticLink::kUnvisitedColor);
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

  // Later clicks do nothing, even once a handler exists.
  Handler handler;
  Click(&link);
  EXPECT_TRUE(handler.recorder.opened.isEmpty());
  EXPECT_TRUE(link.IsBroken());
}

}  // namespace

#include "AboutDlgTest.moc"
