// SPDX-License-Identifier: MIT
// Plays a tablet recording in the window as quill --tablet=recording:FILE
// --any-tablet does, with a MIDI output that keeps what it is sent, and saves
// PNGs of the window at the moments given (milliseconds after it opens) into
// FOLDER; then prints the MIDI messages sent. For looking at, e.g.
//   xvfb-run -a recording_screenshots FILE FOLDER 1600 2000
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tablet/layers/TabletLayers.h"
#include "tools/screenshots/ScreenshotServices.h"
#include "ui/window/CTabletMidiDlg.h"

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
  if (!tablet->ServicesPresent()) {
    std::fprintf(stderr, "%s cannot be played\n", recording.c_str());
    return 1;
  }
  KeptMidiOut midi;
  PrintedMessages messages;
  CopyBuffer copyBuffer;
  CTabletMidiDlg window(midi, *tablet, OrientationScaling::FromAxes(tablet->Orientation()), FileLocations{}, copyBuffer,
                        &messages);
  tablet->SetWindow(&window, window.TabletAreaWidget());

  int last = 0;
  for (int i = 3; i < argc; ++i) {
    const int moment = std::atoi(argv[i]);
    last = std::max(last, moment);
    QTimer::singleShot(moment, Qt::PreciseTimer, [&, moment] {
      const QString path = folder + QStringLiteral("/recording-%1ms.png").arg(moment);
      const bool saved = window.grab().save(path);
      std::printf("%s %s (%zu MIDI messages so far)\n", saved ? "saved" : "FAILED", qPrintable(path), midi.sent.size());
    });
  }
  QTimer::singleShot(last + 100, Qt::PreciseTimer, &window, &QDialog::reject);
  window.DoModal();
  for (uint32_t packed : midi.sent) std::printf("%02X %02X %02X\n", packed & 0xFF, (packed >> 8) & 0xFF, packed >> 16);
  return 0;
}
