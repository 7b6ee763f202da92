// SPDX-License-Identifier: MIT
// mime-type-of FILE...: prints the MIME type the desktop's database gives each
// file, by its name and by its contents, as Qt's file dialogs see them:
//   FILE NAME-TYPE CONTENT-TYPE
#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QMimeDatabase database;
  for (int i = 1; i < argc; ++i) {
    const QString path = QString::fromLocal8Bit(argv[i]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    std::printf("%s %s %s\n", argv[i], qPrintable(database.mimeTypeForFile(path).name()),
                qPrintable(database.mimeTypeForData(file.readAll()).name()));
  }
  return 0;
}
