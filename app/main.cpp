// SPDX-License-Identifier: MIT
#include <QApplication>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/CTabletMidiApp.h"
#include "midi/MidiSystem.h"
#include "tablet/layers/TabletLayers.h"
#include "ui/ProgramInfo.h"
#include "ui/window/QtMessageSink.h"

namespace {

struct Options {
  TabletLayer tablet = TabletLayer::Default;
  MidiSystem midi = MidiSystem::Automatic;
};

void PrintUsage() { std::fprintf(stderr, "usage: quill [--tablet=auto|evdev|qt|mouse] [--midi=alsa|jack]\n"); }

// Quill's own options start with "--"; anything else (such as Qt's
// "-platform offscreen") is left to Qt.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) continue;
    if (arg.rfind("--tablet=", 0) == 0) {
      const std::optional<TabletLayer> layer = ParseTabletLayer(arg.substr(9));
      if (!layer) return false;
      options.tablet = *layer;
    } else if (arg.rfind("--midi=", 0) == 0) {
      const std::optional<MidiSystem> system = ParseMidiSystem(arg.substr(7));
      if (!system) return false;
      options.midi = *system;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(ProgramInfo::kName));
  std::unique_ptr<WidgetTabletService> tablet = CreateTabletService(options.tablet);
  std::unique_ptr<MidiOutService> midi = CreateMidiOutService(options.midi);
  QtMessageSink messages;
  CTabletMidiApp app(*tablet, *midi, messages);
  app.InitInstance();
  return 0;
}
