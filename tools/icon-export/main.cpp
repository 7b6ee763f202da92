// SPDX-License-Identifier: MIT
// quill-icon-export DIR SIZE...: writes DIR/SIZExSIZE/apps/quill.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "ui/bitmaps/QuillBitmaps.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: quill-icon-export DIR SIZE...\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = QString::fromLatin1(argv[i]).toInt();
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    if (size <= 0 || !QDir().mkpath(folder) ||
        !QuillBitmaps::ProgramIconImage(size).save(folder + QStringLiteral("/quill.png"))) {
      std::fprintf(stderr, "quill-icon-export: cannot write the %s icon\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
