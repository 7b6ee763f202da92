// SPDX-License-Identifier: MIT
// The program as a musician runs it (the application shell, the real window on
// the offscreen platform, the real JACK service), with a scripted tablet that
// holds a chord once a line arrives on standard input. It prints "sounding"
// once the chord plays, then either closes its window ("close") or waits for
// the signal the test sends ("wait"). Exit status 0 when the run ended without
// a message box.
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/CTabletMidiApp.h"
#include "midi/MidiSystem.h"
#include "tests/support/WindowFakes.h"

int main(int argc, char** argv) {
  if (argc != 2 || (std::strcmp(argv[1], "close") != 0 && std::strcmp(argv[1], "wait") != 0)) {
    std::fprintf(stderr, "usage: quill-playing-window close|wait\n");
    return 2;
  }
  const bool close = std::strcmp(argv[1], "close") == 0;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir folder;
  ScriptedTablet tablet;
  RecordingMessages messages;
  auto midi = CreateMidiOutService(MidiSystem::Jack, "Quill-" + std::to_string(::getpid()));
  {
    CTabletMidiApp app(tablet, *midi, messages);
    if (!app.Prepare(folder.path(), folder.path())) return 1;
    QTimer::singleShot(0, [&] {
      char go[16];
      if (!std::fgets(go, sizeof go, stdin)) return;
      // The eraser touches in the middle of the area: a major chord.
      tablet.Deliver({.cursor = 2, .x = 960, .y = 500});
      tablet.Deliver({.cursor = 2, .buttons = 1, .x = 960, .y = 510, .normalPressure = 400});
      std::printf("sounding\n");
      std::fflush(stdout);
      if (close) tablet.window->close();
    });
    app.RunMainWindow(&messages);
  }
  midi.reset();  // the port closes after the run, as at the end of main()
  for (const auto& [text, icon] : messages.shown) std::fprintf(stderr, "box: %s\n", text.c_str());
  return messages.shown.empty() ? 0 : 1;
}
