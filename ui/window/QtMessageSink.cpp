// SPDX-License-Identifier: MIT
#include "ui/window/QtMessageSink.h"

#include <QMessageBox>
#include <QString>

#include "ui/ProgramInfo.h"

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
  QMessageBox box(ToIcon(icon), QString::fromUtf8(ProgramInfo::kName), ToQString(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtMessageSink::AskYesNo(std::string_view text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(ProgramInfo::kName), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}
