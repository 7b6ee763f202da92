// SPDX-License-Identifier: MIT
#include "ui/dialogs/CKeySelectDlg.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "music/NoteNames.h"
#include "ui/bitmaps/KeyboardGeometry.h"
#include "ui/bitmaps/QuillBitmaps.h"

using namespace KeyboardGeometry;

namespace {
// Client size: 349 x 73 dialog units of the 8-point dialog font.
constexpr int kClientWidth = 524;
constexpr int kClientHeight = 119;
// Rows of the dialog: the label band ends at 22, the black keys' part runs to
// 68 and the white keys' lower part to 99; the scroll bar sits below.
constexpr int kUpperTop = 23;
constexpr int kLowerTop = 69;
constexpr int kKeysEnd = 100;
constexpr int kScrollBarHeight = 12;
// The bar spans the 128 keys with a page of 49, so it stops at 79.
constexpr int kBarPage = 49;
constexpr int kBarLast = kNoteCount - kBarPage;
constexpr int kLastKey = kNoteCount - 1;
}  // namespace

CKeySelectDlg::CKeySelectDlg(QWidget* parent) : QDialog(parent), keyboard_(QuillBitmaps::KeyboardImage()) {
  setFixedSize(kClientWidth, kClientHeight);
  setMouseTracking(true);

  scrollBar_ = new QScrollBar(Qt::Horizontal, this);
  scrollBar_->setObjectName(QStringLiteral("1121"));
  scrollBar_->setRange(0, kBarLast);
  scrollBar_->setPageStep(kBarPage);
  scrollBar_->setSingleStep(1);
  scrollBar_->setValue(0);
  scrollBar_->setGeometry(kKeyboardLeft, kKeysEnd, width() - 2 * kKeyboardLeft, kScrollBarHeight);
  connect(scrollBar_, &QAbstractSlider::actionTriggered, this, &CKeySelectDlg::OnScrollAction);

  setWindowTitle(QStringLiteral("Select a key: %1").arg(selectedKey_));
}

std::optional<uint8_t> CKeySelectDlg::KeyAtPoint(int x, int y) const {
  if (x <= kKeyboardLeft || x >= width() - kKeyboardLeft) return std::nullopt;
  if (y < kUpperTop || y >= kKeysEnd) return std::nullopt;
  int key = 0;
  if (y < kLowerTop) {
    // Black keys and the white keys between them: walk the strips from the
    // first shown key; each strip includes its right-hand boundary column.
    int p = x - kKeyboardLeft;
    int pc = firstVisibleKey_ % 12;
    int k = -1;
    do {
      p -= KeyStripWidths[pc];
      pc = (pc + 1) % 12;
      ++k;
    } while (p > 0);
    key = firstVisibleKey_ + k;
  } else {
    // White keys only, 18 pixels each.
    const int column = KeyStripOffset(firstVisibleKey_) + x - kKeyboardLeft;
    const int white = column / kWhiteKeyWidth;
    key = 12 * (white / 7) + WhiteKeyPitch[white % 7];
  }
  if (key > kLastKey) return std::nullopt;  // beyond the picture's last key
  return uint8_t(key);
}

void CKeySelectDlg::ShowKey(uint8_t key) {
  // Four octaves are in view: start at the C two octaves below the key's own.
  const int first = std::clamp(12 * (key / 12 - 2), 0, kBarLast);
  scrollBar_->setValue(first);
  firstVisibleKey_ = uint8_t(first);
  update();
}

void CKeySelectDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect source(KeyStripOffset(firstVisibleKey_), 0, ShownWidth(), kHeight);
  painter.drawImage(QPoint(kKeyboardLeft, kKeyboardTop), keyboard_, source.intersected(keyboard_.rect()));
}

void CKeySelectDlg::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (const auto key = KeyAtPoint(at.x(), at.y()))
    setWindowTitle(QStringLiteral("Select a key: %1").arg(QString::fromStdString(FormatNoteName(*key))));
  QDialog::mouseMoveEvent(e);
}

void CKeySelectDlg::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    if (const auto key = KeyAtPoint(at.x(), at.y())) {
      selectedKey_ = *key;
      keyChosen_ = true;
      accept();
      return;
    }
  }
  QDialog::mousePressEvent(e);
}

// Enter closes the dialog like Esc: only a click chooses a key.
void CKeySelectDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    reject();
    return;
  }
  QDialog::keyPressEvent(e);
}

// The dialog decides where the view goes, not the bar: the bar has already
// moved its slider for the action, so that is undone first. The view follows
// the requested key even where the bar cannot, which lets a step right at the
// bar's end show the keyboard from one key further on.
void CKeySelectDlg::OnScrollAction(int action) {
  const int pos = scrollBar_->value();
  const int thumb = scrollBar_->sliderPosition();
  scrollBar_->setSliderPosition(pos);

  int next = pos;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
      if (pos > 0) next = pos - 1;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      if (pos < kLastKey) next = pos + 1;
      break;
    case QAbstractSlider::SliderPageStepAdd: next = pos + 1; break;
    case QAbstractSlider::SliderMove: next = thumb; break;
    default:  // to the start or the end: nothing
      break;
  }
  if (next == pos) return;
  scrollBar_->setSliderPosition(std::clamp(next, 0, kBarLast));
  firstVisibleKey_ = uint8_t(next);
  update();
}
