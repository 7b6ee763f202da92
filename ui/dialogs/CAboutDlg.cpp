// SPDX-License-Identifier: MIT
#include "ui/dialogs/CAboutDlg.h"

#include <cmath>

#include <QLabel>
#include <QPushButton>

#include "ui/ProgramInfo.h"
#include "ui/bitmaps/QuillBitmaps.h"
#include "ui/dialogs/CStaticLink.h"

namespace {
// Dialog units of the 8-point dialog font to pixels.
QRect DialogRect(int x, int y, int w, int h) {
  const auto px = [](int v) { return int(std::lround(v * 6 / 4.0)); };
  const auto py = [](int v) { return int(std::lround(v * 13 / 8.0)); };
  return QRect(px(x), py(y), px(w), py(h));
}
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About %1").arg(QLatin1String(ProgramInfo::kName)));
  QFont dialogFont = font();
  dialogFont.setPointSize(8);
  setFont(dialogFont);
  setFixedSize(DialogRect(0, 0, 255, 62).size());

  auto* icon = new QLabel(this);
  icon->setPixmap(QuillBitmaps::ProgramIcon().pixmap(32, 32));
  icon->setGeometry(QRect(DialogRect(14, 17, 20, 20).topLeft(), QSize(32, 32)));

  auto* version = new QLabel(QString::fromLatin1(ProgramInfo::AboutVersion()), this);
  version->setTextFormat(Qt::PlainText);
  version->setGeometry(DialogRect(53, 10, 59, 8));

  auto* credit = new QLabel(QString::fromLatin1(kCredit), this);
  credit->setGeometry(DialogRect(53, 25, 134, 8));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  ok->setGeometry(DialogRect(196, 21, 50, 16));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // The link starts without a target, so a click opens the address it shows.
  link_ = new CStaticLink(QString(), this);
  link_->setObjectName(QStringLiteral("1050"));
  link_->setText(QString::fromLatin1(kAddress));
  QRect linkRect = DialogRect(53, 40, 82, 8);
  linkRect.setWidth(std::max(linkRect.width(), link_->sizeHint().width()));
  link_->setGeometry(linkRect);
}
