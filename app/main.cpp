// SPDX-License-Identifier: MIT
#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/CTabletMidiApp.h"
#include "app/CommandLine.h"
#include "ui/ProgramInfo.h"
#include "ui/window/QtMessageSink.h"

int main(int argc, char** argv) {
  CommandLine options;
  if (!ParseCommandLine(argc, argv, options)) {
    if (!options.problem.empty()) std::fprintf(stderr, "quill: %s\n", options.problem.c_str());
    std::fprintf(stderr, "%s\n", CommandLineUsage().c_str());
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
