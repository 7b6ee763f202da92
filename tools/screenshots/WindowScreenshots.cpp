// SPDX-License-Identifier: MIT
// Saves PNGs of the main window and the key dialog into the folder given as
// the first argument (default "screenshots"); with a preset file as the second
// argument, also the window with that file loaded, the pen pressing in
// controller mode (preset.png, as in the README), its third preset with the
// eraser playing (preset-f3.png), a note sounding under the note guide with
// MIDI going out (guide.png), the guide across a window made larger
// (resized.png), the tablet area over the whole screen (full-screen.png) and
// the line that tells of MIDI trouble (trouble.png). Run it with
// QT_SCALE_FACTOR=2 to see a high-density screen.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "tools/screenshots/ScreenshotServices.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {

// Pictures arrive from the window's decoding thread: the event loop runs until
// `done` holds, or five seconds pass.
void ProcessEventsUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  QDir().mkpath(folder);
  bool ok = true;
  auto save = [&](QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const bool saved = widget.grab().save(folder + "/" + name);
    std::printf("%s %s/%s\n", saved ? "saved" : "FAILED", qPrintable(folder), qPrintable(name));
    ok = ok && saved;
  };
  KeptMidiOut midi;
  PosedTablet tablet;
  PrintedMessages messages;
  CopyBuffer copyBuffer;
  CTabletMidiDlg window(midi, tablet, OrientationScaling::FromAxes(tablet.Orientation()), FileLocations{}, copyBuffer,
                        &messages);
  window.OnInitDialog();
  window.SetNoteGuide(true);  // whatever this user chose last
  save(window, "default.png");

  // F2: the area, the tabs' neighbours and the section headers take slot 2's colour.
  QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
  QApplication::sendEvent(&window, &f2);
  save(window, "after-f2.png");

  // Slot 3 with a picture (one colour) and the pen pressing, tilted to the right.
  window.Engine().SelectConfiguration(2);
  QImage picture(640, 480, QImage::Format_RGB32);
  picture.fill(QColor(30, 160, 90));
  const QString path = folder + "/picture.bmp";
  picture.save(path);
  window.SetFileChooser([&path](FileDialogKind, const QString&) { return path; });
  window.OnPictureBrowse();
  ProcessEventsUntil([&window] { return window.Engine().HasPicture(2); });
  tablet.Pose({.cursor = 1, .x = 800, .y = 400, .normalPressure = 500, .azimuth = 1200, .altitude = 500});
  save(window, "picture.png");

  // The keyboard as MaxKey opens it: at the upper limit, C5.
  CKeySelectDlg keys(&window);
  keys.ShowKey(84);
  save(keys, "keys.png");
  if (argc > 2) {
    const QString file = QString::fromLocal8Bit(argv[2]);
    window.LoadConfigurationFile(file);
    // The file is read on the window's file thread; the title names it once
    // its presets are in, and only then do their pictures start to decode.
    ProcessEventsUntil([&window, &file] { return window.windowTitle().startsWith(QFileInfo(file).fileName()); });
    ProcessEventsUntil([&window] {
      const PerformanceEngine& engine = window.Engine();
      for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!engine.SlotConfiguration(slot).picture.empty() && !engine.HasPicture(slot)) return false;
      }
      return true;
    });
    window.Engine().SelectConfiguration(0);
    for (int x : {640, 700, 760}) {
      tablet.Pose(
          {.cursor = 1, .buttons = 3, .x = x, .y = 300, .normalPressure = 620, .azimuth = 1300, .altitude = 600});
    }
    save(window, "preset.png");
    // The file's third preset, the eraser playing a chord there (glide.qcf:
    // the MPE pad, its channel box greyed).
    tablet.Pose({.cursor = 2, .x = 760, .y = 300, .altitude = 600});
    window.Engine().SelectConfiguration(2);
    for (int y : {520, 500, 480}) {
      tablet.Pose(
          {.cursor = 2, .buttons = 1, .x = 760, .y = y, .normalPressure = 620, .azimuth = 1300, .altitude = 600});
    }
    save(window, "preset-f3.png");

    // F2 of the file (glide.qcf: the gliding violin): the tip plays a band,
    // lighting it and the activity light.
    QKeyEvent f2Again(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(&window, &f2Again);
    tablet.Pose({.cursor = 1, .x = 700, .y = 700, .azimuth = 1300, .altitude = 600});
    tablet.Pose(
        {.cursor = 1, .buttons = 1, .x = 700, .y = 700, .normalPressure = 520, .azimuth = 1300, .altitude = 600});
    QEventLoop wait;  // the light polls the messages sent
    QTimer::singleShot(100, &wait, &QEventLoop::quit);
    wait.exec();
    save(window, "guide.png");

    window.resize(1280, 820);
    save(window, "resized.png");
    window.resize(window.minimumSize());

    window.SetAreaFullScreen(true);
    ProcessEventsUntil([&window] { return window.isFullScreen() && window.width() > window.minimumWidth(); });
    // Without a window manager (a bare X server) nothing makes the window as
    // large as the screen: this stands in for it.
    if (window.width() <= window.minimumWidth()) window.setGeometry(window.screen()->geometry());
    save(window, "full-screen.png");
    window.SetAreaFullScreen(false);
    window.resize(window.minimumSize());

    window.EngineMessages().ReportTrouble("MIDI error");
    save(window, "trouble.png");
  }
  return ok ? 0 : 1;
}
