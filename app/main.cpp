// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/CTabletMidiApp.h"
#include "app/CommandLine.h"
#include "app/ManagedSession.h"
#include "session/NsmClient.h"
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

// The client of the session manager named in NSM_URL; nothing (said on
// standard error) when it cannot be reached.
std::unique_ptr<NsmClient> SessionManagerClient(const std::string& url, const char* program) {
  std::string error;
  const char* slash = std::strrchr(program, '/');
  auto client = NsmClient::Create(url, slash ? slash + 1 : program, static_cast<int>(::getpid()), error);
  if (!client) std::fprintf(stderr, "quill: NSM_URL: %s; Quill runs without a session\n", error.c_str());
  return client;
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
  const std::optional<std::string> managerUrl = NsmClient::ManagerUrl();
  if (managerUrl) UseSessionDefaults(options);
  std::unique_ptr<WidgetTabletService> tablet = CreateTabletService(options.tablet, options.tabletRecording);
  const std::string absence = MidiSystemAbsence(options.midi);
  if (!absence.empty()) std::fprintf(stderr, "quill: --midi=alsa: %s\n", absence.c_str());

  // Under a session manager no MIDI client exists before the session opens:
  // the session names it.
  std::unique_ptr<NsmClient> manager = managerUrl ? SessionManagerClient(*managerUrl, argv[0]) : nullptr;
  std::optional<ManagedSession> session;
  if (manager) {
    session.emplace(*manager);
    session->WatchSocket(manager->Descriptor(), [&manager] { manager->ReadMessages(); });
    if (session->AnnounceAndWait() == ManagedSession::Start::Ended) return 0;
  }
  const bool inSession = session && session->Session();
  if (inSession && !options.files.empty()) {
    std::fprintf(stderr, "quill: %s is not loaded: the session's presets count\n", options.files.front().c_str());
  }
  // The one place the MIDI client is made.
  std::unique_ptr<MidiOutService> midi = CreateMidiOutService(
      options.midi, session ? session->ClientName(options.clientName) : options.clientName, options.midiLatency);
  QtMessageSink messages;
  CTabletMidiApp app(*tablet, *midi, messages);
  app.AcceptTabletMakers(options.anyTablet ? TabletMakers::Any : TabletMakers::WacomOnly);
  app.UseLastSession(options.fresh ? CTabletMidiApp::LastSession::Fresh : CTabletMidiApp::LastSession::Restored);
  if (inSession) app.JoinSession(*session);
  app.InitInstance(options.files.empty() || inSession ? QString() : QString::fromLocal8Bit(options.files.front()));
  ReportLateMessages(midi->DeliveryCounts());
  return app.ExitStatus();
}
