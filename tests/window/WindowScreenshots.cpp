// SPDX-License-Identifier: MIT
// Saves PNGs of the main window and the key dialog into the folder given as
// the first argument (default "screenshots").
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>

#include "tests/window/WindowFakes.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {

bool Save(QWidget& widget, const QString& path) {
  const bool ok = widget.grab().save(path);
  std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
  return ok;
}

QString MakePicture(const QString& folder) {
  QImage image(640, 480, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, 640, 480);
  g.setColorAt(0, QColor(230, 80, 20));
  g.setColorAt(0.5, QColor(30, 160, 90));
  g.setColorAt(1, QColor(40, 60, 200));
  p.fillRect(image.rect(), g);
  p.end();
  const QString path = folder + "/gradient.jpg";
  image.save(path);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  QDir().mkpath(folder);
  FakeMidiOut midi(2);
  ScriptedTablet tablet;
  RecordingMessages messages;
  CTabletMidiDlg window(midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{}, &messages);
  window.OnInitDialog();
  window.show();
  QApplication::processEvents();
  bool ok = Save(window, folder + "/default.png");

  // Slot 3 with a picture and the pen pressing, tilted to the right.
  window.Engine().SelectConfiguration(2);
  const QString picture = MakePicture(folder);
  window.SetFileChooser([&picture](FileDialogKind, const QString&) { return picture; });
  window.OnPictureBrowse();
  TabletPacket packet;
  packet.cursor = 1;
  packet.x = 800;
  packet.y = 400;
  packet.normalPressure = 500;
  packet.azimuth = 1200;
  packet.altitude = 500;
  tablet.Deliver(packet);
  QApplication::processEvents();
  ok = Save(window, folder + "/picture.png") && ok;

  CKeySelectDlg keys(&window);
  keys.show();
  QApplication::processEvents();
  ok = Save(keys, folder + "/keys.png") && ok;
  for (const auto& m : messages.shown) std::printf("message: %s\n", m.first.c_str());
  return ok ? 0 : 1;
}
