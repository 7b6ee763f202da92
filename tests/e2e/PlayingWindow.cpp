// SPDX-License-Identifier: MIT
// The program as a musician runs it (the application shell, the real window on
// the offscreen platform, the real JACK service named CLIENT), with a scripted
// tablet.
//
//   quill-playing-window close|wait CLIENT
//     holds a chord once a line arrives on standard input, prints "sounding",
//     then closes its window ("close") or waits for the signal the test sends.
//   quill-playing-window play CLIENT
//     plays what standard input says, a line at a time, and answers each
//     with "ok" once done: "touch BAND" (the pen tip touches the middle of
//     band 0..9 of the default note list, counted from the bottom: a note),
//     "lift",
//     "port NAME" (the destination chosen by its name, as in the port box),
//     "quit". The pen's packets carry the time they are made.
//
// At the end it writes to standard error how many message boxes it showed
// and how many episodes of MIDI trouble (reports until the trouble ended),
// and exits with status 0 when it showed no box.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/CTabletMidiApp.h"
#include "midi/MidiSystem.h"
#include "tablet/EventTime.h"
#include "tests/support/WindowFakes.h"

namespace {
/// Boxes apart from MIDI trouble, which a window shows without one.
class CountingMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view text, MessageIcon) override {
    std::fprintf(stderr, "box: %.*s\n", int(text.size()), text.data());
    ++boxes;
  }
  bool AskYesNo(std::string_view) override { return true; }
  void ReportTrouble(std::string_view text) override {
    std::fprintf(stderr, "trouble: %.*s\n", int(text.size()), text.data());
    if (!troubled) ++episodes;
    troubled = true;
  }
  void TroubleResolved() override {
    std::fprintf(stderr, "trouble over\n");
    troubled = false;
  }

  int boxes = 0;
  int episodes = 0;
  bool troubled = false;
};

/// Plays the commands of standard input as they come, on the GUI thread.
class Player {
 public:
  explicit Player(ScriptedTablet& tablet) : tablet_(tablet), input_(STDIN_FILENO, QSocketNotifier::Read) {
    QObject::connect(&input_, &QSocketNotifier::activated, &input_, [this] { Read(); });
  }

 private:
  void Read() {
    char chunk[256];
    const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (count <= 0) {
      input_.setEnabled(false);
      return;
    }
    pending_.append(chunk, size_t(count));
    for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      const std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      Run(line);
      std::printf("ok\n");
      std::fflush(stdout);
    }
  }

  void Run(const std::string& line) {
    auto* window = dynamic_cast<CTabletMidiDlg*>(tablet_.window);
    if (line.starts_with("touch ") && window) {
      // The middle of the band on the screen the window is on.
      const PacketGeometry screen = window->CurrentGeometry();
      const int band = std::atoi(line.c_str() + 6);
      x_ = screen.screenWidth / 2;
      y_ = screen.screenHeight - 1 - (screen.screenHeight * (2 * band + 1)) / 20;
      // Brought down from a little above: a note starts where the pressing
      // pen moves.
      tablet_.Deliver({.cursor = 1, .x = x_, .y = y_ - 10, .eventTime = MonotonicNow()});
      tablet_.Deliver(
          {.cursor = 1, .buttons = 1, .x = x_, .y = y_, .normalPressure = 400, .eventTime = MonotonicNow()});
    } else if (line == "lift") {
      tablet_.Deliver({.cursor = 1, .x = x_, .y = y_, .eventTime = MonotonicNow()});
    } else if (line.starts_with("port ") && window) {
      window->Engine().SelectPortByName(line.substr(5));
    } else if (line == "quit" && window) {
      window->close();
    }
  }

  ScriptedTablet& tablet_;
  QSocketNotifier input_;
  std::string pending_;
  int32_t x_ = 0;
  int32_t y_ = 0;
};
}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode != "close" && mode != "wait" && mode != "play") {
    std::fprintf(stderr, "usage: quill-playing-window close|wait|play CLIENT\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir folder;
  ScriptedTablet tablet;
  CountingMessages messages;
  auto midi = CreateMidiOutService(MidiSystem::Jack, argv[2]);
  {
    CTabletMidiApp app(tablet, *midi, messages);
    if (!app.Prepare(folder.path(), folder.path())) return 1;
    std::unique_ptr<Player> player;
    QTimer::singleShot(0, [&] {
      if (mode == "play") {
        player = std::make_unique<Player>(tablet);
        return;
      }
      char go[16];
      if (!std::fgets(go, sizeof go, stdin)) return;
      // The eraser touches in the middle of the area: a major chord.
      tablet.Deliver({.cursor = 2, .x = 960, .y = 500});
      tablet.Deliver({.cursor = 2, .buttons = 1, .x = 960, .y = 510, .normalPressure = 400});
      std::printf("sounding\n");
      std::fflush(stdout);
      if (mode == "close") tablet.window->close();
    });
    app.RunMainWindow(&messages);
  }
  midi.reset();  // the port closes after the run, as at the end of main()
  std::fprintf(stderr, "boxes %d episodes %d\n", messages.boxes, messages.episodes);
  return messages.boxes == 0 ? 0 : 1;
}
