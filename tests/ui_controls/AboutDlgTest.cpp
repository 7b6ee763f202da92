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

}  // namespace

#include "AboutDlgTest.moc"
