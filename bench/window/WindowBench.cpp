// SPDX-License-Identifier: MIT
// The window's hot paths: a full repaint of the tablet area over a picture,
// one pen packet through the engine and the displays, and start to shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "tests/support/WindowFakes.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/TabletAreaPainter.h"

namespace {

/// Two devices that take every message and only count it, so the figures are
/// the window's and the engine's, not a recorder's.
class CountingMidi : public MidiOutService {
 public:
  unsigned GetNumDevs() override { return 2; }
  std::string GetDeviceName(unsigned device) override { return "Device " + std::to_string(device); }
  bool Open(unsigned device) override { return device < 2; }
  bool Close() override { return true; }
  bool SendShortMsg(uint32_t) override {
    ++sent;
    return true;
  }
  size_t sent = 0;
};

struct Rig {
  CountingMidi midi;
  ScriptedTablet tablet;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  std::unique_ptr<CTabletMidiDlg> window;

  Rig() {
    window = std::make_unique<CTabletMidiDlg>(midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{},
                                              copyBuffer, &messages);
    window->OnInitDialog();
  }
};

QString WritePicture(const QTemporaryDir& dir) {
  QImage image(1024, 768, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
  }
  const QString path = dir.filePath("bench.bmp");
  image.save(path);
  return path;
}

// Argument 1: with the note guide over the picture (a note sounding), 0 without.
void BM_RepaintTabletAreaWithPicture(benchmark::State& state) {
  Rig rig;
  rig.window->SetNoteGuide(state.range(0) != 0);
  QTemporaryDir dir;
  PerformanceEngine& engine = rig.window->Engine();
  engine.LoadPicture(WritePicture(dir).toStdString());
  // The picture is decoded on the window's worker thread.
  QDeadlineTimer deadline(10000);
  while (!engine.HasPicture(0) && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (!engine.HasPicture(0)) {
    state.SkipWithError("picture did not load");
    return;
  }
  TabletPacket packet;
  packet.cursor = 1;
  packet.buttons = 1;
  packet.x = 900;
  packet.y = 500;
  packet.normalPressure = 600;
  packet.azimuth = 1300;
  packet.altitude = 500;
  rig.tablet.Deliver(packet);
  QImage target(546, 497, QImage::Format_RGB32);
  for (auto _ : state) {
    // One painter per paint, as the window gets; the first paint scales the picture.
    QPainter painter(&target);
    rig.window->PaintTabletArea(painter);
    painter.end();
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["scalings"] = static_cast<double>(rig.window->Pictures().ScaleCount());
}
BENCHMARK(BM_RepaintTabletAreaWithPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same drawing without the engine: a picture already at the area's size
// and the XOR marker.
void BM_PaintAreaOverScaledPicture(benchmark::State& state) {
  QImage picture(546, 497, QImage::Format_RGB32);
  picture.fill(QColor(90, 140, 200));
  QImage target(546, 497, QImage::Format_RGB32);
  PenState pen;
  pen.areaX = 270;
  pen.areaY = 250;
  pen.pressure = 600;
  for (auto _ : state) {
    QPainter painter(&target);
    TabletAreaPainter::PaintArea(painter, target.size(), QColor(50, 50, 100), &picture, &pen, TiltVector{60, 40});
    painter.end();
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_PaintAreaOverScaledPicture)->Unit(benchmark::kMicrosecond);

void BM_PacketPath(benchmark::State& state) {
  Rig rig;
  PerformanceEngine& engine = rig.window->Engine();
  for (int input = 0; input < 5; ++input) engine.SelectController(input, 20 + input);
  engine.SetControllerMode(true);
  TabletPacket packet;
  packet.cursor = 1;
  packet.normalPressure = 500;
  packet.altitude = 600;
  const PacketGeometry geometry = rig.window->CurrentGeometry();
  int step = 0;
  for (auto _ : state) {
    // Every packet moves the pen and changes pressure and orientation, so
    // every controller and display is updated.
    ++step;
    packet.x = (step * 7) % 1920;
    packet.y = (step * 3) % 1080;
    packet.normalPressure = static_cast<uint32_t>(step % 1024);
    packet.azimuth = (step * 11) % 3600;
    engine.ProcessPacket(packet, geometry);
  }
  state.counters["sent"] = static_cast<double>(rig.midi.sent);
}
BENCHMARK(BM_PacketPath)->Unit(benchmark::kMicrosecond);

void BM_StartToWindowShown(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig;
    rig.window->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(rig.window->isVisible());
    rig.window->hide();
    state.PauseTiming();
    rig.window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The note guide's setting is the benchmark's own, never the user's.
  QStandardPaths::setTestModeEnabled(true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
