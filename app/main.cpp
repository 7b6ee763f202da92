// SPDX-License-Identifier: MIT
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <memory>

#include "app/CTabletMidiApp.h"
#include "app/CommandLine.h"
#include "ui/ProgramInfo.h"
#include "ui/window/QtMessageSink.h"

namespace {
// Messages that went out later than their pen time and the latency: a sign
// that the latency is too short for this machine.
void ReportLateMessages(const MidiDeliveryCounts& counts) {
  if (counts.late == 0 && counts.droppedNotes == 0) return;
  std::fprintf(stderr,
               "quill: %llu of %llu timed MIDI messages went out late, %llu stale notes were left out; "
               "a longer --midi-latency keeps them in time\n",
               static_cast<unsigned long long>(counts.late), static_cast<unsigned long long>(counts.timed),
               static_cast<unsigned long long>(counts.droppedNotes));
}
}  // namespace

int main(int argc, char** argv) {
  // A write to a pipe or socket nobody reads (standard error, a MIDI server's) fails instead of ending Quill.
  std::signal(SIGPIPE, SIG_IGN);
  CommandLine options;
  if (!ParseCommandLine(argc, argv, options)) {
    if (!options.problem.empty()) std::fprintf(stderr, "quill: %s\n", options.problem.c_str());
    std::fprintf(stderr, "%s\n", CommandLineUsage().c_str());
    return 2;
  }
  // Answered without a window, so they work without a display.
  if (options.help) {
    std::fputs(CommandLineHelp().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("quill %s\n", ProgramInfo::Version());
    return 0;
  }
  QApplication application(argc, argv);
  // Qt has taken its own options and their values away: what is left is ours.
  if (!ParseCommandLine(argc, argv, options) || options.files.size() > 1) {
    std::fprintf(stderr, "%s\n", CommandLineUsage().c_str());
    return 2;
  }
  QApplication::setApplicationName(QString::fromUtf8(ProgramInfo::kName));
  std::unique_ptr<WidgetTabletService> tablet = CreateTabletService(options.tablet, options.tabletRecording);
  const std::string absence = MidiSystemAbsence(options.midi);
  if (!absence.empty()) std::fprintf(stderr, "quill: --midi=alsa: %s\n", absence.c_str());
  // The one place the MIDI client is made: with its name, which a session
  // manager may yet decide.
  std::unique_ptr<MidiOutService> midi = CreateMidiOutService(options.midi, options.clientName, options.midiLatency);
  QtMessageSink messages;
  CTabletMidiApp app(*tablet, *midi, messages);
  app.AcceptTabletMakers(options.anyTablet ? TabletMakers::Any : TabletMakers::WacomOnly);
  app.UseLastSession(options.fresh ? CTabletMidiApp::LastSession::Fresh : CTabletMidiApp::LastSession::Restored);
  app.InitInstance(options.files.empty() ? QString() : QString::fromLocal8Bit(options.files.front()));
  ReportLateMessages(midi->DeliveryCounts());
  return app.ExitStatus();
}
