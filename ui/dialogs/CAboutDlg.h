// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class CStaticLink;

/// The About box: icon, name and version, who wrote the program and a link to
/// its web site.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  static inline const char* const kCredit = "Written by the Quill developers";  ///< author credit
  static inline const char* const kAddress = "https://quill.example.org";       ///< web site, the link

  explicit CAboutDlg(QWidget* parent = nullptr);

  CStaticLink* Link() const { return link_; }

 private:
  CStaticLink* link_ = nullptr;
};
