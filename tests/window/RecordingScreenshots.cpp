// SPDX-License-Identifier: MIT
// Plays a tablet recording in the window as quill --tablet=recording:FILE
// --any-tablet does, with a recording MIDI output, and saves PNGs of the
// window at the moments given (milliseconds after it opens) into FOLDER;
// then prints the MIDI messages sent. Not a test: for looking at, e.g.
//   xvfb-run -a recording_screenshots FILE FOLDER 1600 2000
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/CTabletMidiApp.h"
#include "tablet/layers/TabletLayers.h"
#include "tests/window/WindowFakes.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {
CTabletMidiDlg* TheWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<CTabletMidiDlg*>(widget); window && window->isVisible()) return window;
  }
  return nullptr;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: recording_screenshots FILE FOLDER MILLISECONDS...\n");
    return 2;
  }
  const std::string recording = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString();
  const QString folder = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
  QDir().mkpath(folder);
  auto tablet = CreateTabletService(TabletLayer::Recording, recording);
  FakeMidiOut midi(1);
  RecordingMessages messages;
  CTabletMidiApp shell(*tablet, midi, messages);
  shell.AcceptTabletMakers(TabletMakers::Any);
  QTemporaryDir home;
  if (!shell.Prepare(home.path(), home.path())) {
    for (const auto& m : messages.shown) std::fprintf(stderr, "message: %s\n", m.first.c_str());
    return 1;
  }

  int last = 0;
  for (int i = 3; i < argc; ++i) {
    const int moment = std::atoi(argv[i]);
    last = std::max(last, moment);
    QTimer::singleShot(moment, Qt::PreciseTimer, [&folder, moment, &midi] {
      CTabletMidiDlg* window = TheWindow();
      if (!window) return;
      const QString path = folder + QStringLiteral("/recording-%1ms.png").arg(moment);
      const bool saved = window->grab().save(path);
      std::printf("%s %s (%zu MIDI messages so far)\n", saved ? "saved" : "FAILED", qPrintable(path), midi.sent.size());
    });
  }
  QTimer::singleShot(last + 100, Qt::PreciseTimer, [] {
    if (CTabletMidiDlg* window = TheWindow()) window->reject();
  });
  shell.RunMainWindow(&messages);
  for (uint32_t packed : midi.sent) std::printf("%02X %02X %02X\n", packed & 0xFF, (packed >> 8) & 0xFF, packed >> 16);
  for (const auto& m : messages.shown) std::printf("message: %s\n", m.first.c_str());
  return 0;
}
