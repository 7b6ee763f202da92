// SPDX-License-Identifier: MIT
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/CTabletMidiApp.h"
#include "app/NoMidiOutService.h"
#include "app/NullTabletService.h"
#include "ui/ProgramInfo.h"
#include "ui/window/QtMessageSink.h"

namespace {

struct Options {
  std::string tablet;  // "", "evdev", "qt" or "mouse"
  std::string midi;    // "", "alsa" or "jack"
};

void PrintUsage() {
  std::fprintf(stderr, "usage: quill [--tablet=evdev|qt|mouse] [--midi=alsa|jack]\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--tablet=", 0) == 0) {
      options.tablet = arg.substr(9);
      if (options.tablet != "evdev" && options.tablet != "qt" && options.tablet != "mouse") return false;
    } else if (arg.rfind("--midi=", 0) == 0) {
      options.midi = arg.substr(7);
      if (options.midi != "alsa" && options.midi != "jack") return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(ProgramInfo::kName));
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  auto tablet = std::make_unique<NullTabletService>();
  auto midi = std::make_unique<NoMidiOutService>();
  QtMessageSink messages;
  CTabletMidiApp app(*tablet, *midi, messages);
  app.InitInstance();
  return 0;
}
