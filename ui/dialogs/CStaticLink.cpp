// SPDX-License-Identifier: MIT
#include "ui/dialogs/CStaticLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CStaticLink::CStaticLink(const QString& link, QWidget* parent) : QLabel(parent), link_(link) {
  setTextFormat(Qt::PlainText);
  ApplyLook();
}

bool CStaticLink::Navigate() {
  if (link_.isEmpty()) return false;
  const QUrl url = QUrl::fromUserInput(link_);
  if (!url.isValid() || !QDesktopServices::openUrl(url)) return false;
  color_ = kVisitedColor;
  ApplyLook();
  update();
  return true;
}

// A click tries the given target, then the shown text. When both fail the link
// beeps once and goes inert: it is plain text for the rest of its life.
void CStaticLink::mousePressEvent(QMouseEvent* e) {
  if (broken_ || e->button() != Qt::LeftButton) {
    QLabel::mousePressEvent(e);
    return;
  }
  if (Navigate()) return;
  link_ = text();
  if (Navigate()) return;
  QApplication::beep();
  broken_ = true;
  ApplyLook();
  update();
}

// The underline follows whatever font the parent gives the control.
void CStaticLink::changeEvent(QEvent* e) {
  QLabel::changeEvent(e);
  if (e->type() == QEvent::FontChange && !applyingLook_) ApplyLook();
}

void CStaticLink::ApplyLook() {
  applyingLook_ = true;
  QFont font = this->font();
  font.setUnderline(!broken_);
  setFont(font);
  QPalette palette = this->palette();
  if (broken_) {
    palette.setColor(QPalette::WindowText, QApplication::palette(this).color(QPalette::WindowText));
    unsetCursor();
  } else {
    palette.setColor(QPalette::WindowText, color_);
    setCursor(Qt::PointingHandCursor);
  }
  setPalette(palette);
  applyingLook_ = false;
}
