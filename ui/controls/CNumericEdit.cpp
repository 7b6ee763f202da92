// SPDX-License-Identifier: MIT
#include "ui/controls/CNumericEdit.h"

#include <algorithm>
#include <limits>

#include <QKeyEvent>

namespace {
// Validation sets the text itself, which reports another change; one guard for
// all fields stops that from validating again.
bool validating = false;

// The value of the leading digits; no digits read as 0. Very long numbers
// saturate instead of overflowing, which the clamping then handles.
int LeadingNumber(const QString& text) {
  long long number = 0;
  for (QChar ch : text) {
    if (ch < u'0' || ch > u'9') break;
    number = std::min<long long>(number * 10 + (ch.unicode() - u'0'), std::numeric_limits<int>::max());
  }
  return int(number);
}
}  // namespace

CNumericEdit::CNumericEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &CNumericEdit::Validate);
}

bool CNumericEdit::SetRange(int minimum, int maximum) {
  if (minimum >= maximum) return false;
  minimum_ = minimum;
  maximum_ = maximum;
  return true;
}

bool CNumericEdit::StepForKey(int key, int& newValue) const {
  switch (key) {
    case Qt::Key_Up: newValue = std::min(value_ + smallStep_, maximum_); return true;
    case Qt::Key_Down: newValue = std::max(value_ - smallStep_, minimum_); return true;
    case Qt::Key_PageUp: newValue = std::min(value_ + largeStep_, maximum_); return true;
    case Qt::Key_PageDown: newValue = std::max(value_ - largeStep_, minimum_); return true;
    case Qt::Key_Home: newValue = maximum_; return true;  // Home is the top of the range
    case Qt::Key_End: newValue = minimum_; return true;
    default: return false;
  }
}

// The stepping keys belong to the field, whatever shortcuts the window has.
bool CNumericEdit::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    int unused = 0;
    if (StepForKey(static_cast<QKeyEvent*>(e)->key(), unused)) {
      e->accept();
      return true;
    }
  }
  return QLineEdit::event(e);
}

// Steps start from the last accepted value, not from the text on screen.
void CNumericEdit::keyPressEvent(QKeyEvent* e) {
  int newValue = 0;
  if (!StepForKey(e->key(), newValue)) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  // Validation reports the value; an unchanged text reports no change, so it
  // is validated here instead.
  const QString newText = QString::number(newValue);
  if (text() == newText)
    Validate();
  else
    setText(newText);
  e->accept();
}

void CNumericEdit::Validate() {
  if (validating) return;
  validating = true;

  QString text = this->text();
  int start = hasSelectedText() ? selectionStart() : cursorPosition();
  int end = hasSelectedText() ? selectionEnd() : start;

  // Only the character just typed (before the caret) is examined.
  if (start > 0 && start <= text.size() && (text[start - 1] < u'0' || text[start - 1] > u'9')) {
    text.remove(start - 1, 1);
    --start;
    end = std::max(end - 1, 0);
  }

  value_ = LeadingNumber(text);
  if (value_ < minimum_) {
    value_ = minimum_;
    text = QString::number(minimum_);
  }
  if (value_ > maximum_) {
    value_ = maximum_;
    text = QString::number(maximum_);
  }
  setText(text);
  start = std::min<int>(start, text.size());
  end = std::min<int>(end, text.size());
  if (end > start)
    setSelection(start, end - start);
  else
    setCursorPosition(start);
  validating = false;
  emit ValueAccepted(value_);
}
