// SPDX-License-Identifier: MIT
#include "ui/window/QtMessageSink.h"

#include <QMessageBox>
#include <QString>
#include <cstdio>

#include "ui/ProgramInfo.h"
#include "ui/controls/TroubleLine.h"

namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon ToIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: break;
  }
  return QMessageBox::Warning;
}

}  // namespace

void QtMessageSink::ShowMessage(std::string_view text, MessageIcon icon) {
  if (boxes_) {
    boxes_->ShowMessage(text, icon);
    return;
  }
  QMessageBox box(ToIcon(icon), QString::fromUtf8(ProgramInfo::kName), ToQString(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtMessageSink::AskYesNo(std::string_view text) {
  if (boxes_) return boxes_->AskYesNo(text);
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(ProgramInfo::kName), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}

void QtMessageSink::ReportTrouble(std::string_view text) {
  // One line per episode: a port that fails every message would otherwise
  // fill the log as fast as the pen moves.
  if (inTrouble_) return;
  inTrouble_ = true;
  std::fprintf(stderr, "quill: %.*s\n", static_cast<int>(text.size()), text.data());
  if (troubleLine_) troubleLine_->ShowTrouble(ToQString(text));
}

void QtMessageSink::TroubleResolved() {
  if (!inTrouble_) return;
  inTrouble_ = false;
  static constexpr const char* kWorksAgain = "MIDI works again.";
  std::fprintf(stderr, "quill: %s\n", kWorksAgain);
  if (troubleLine_) troubleLine_->ShowResolved(QString::fromUtf8(kWorksAgain));
}
