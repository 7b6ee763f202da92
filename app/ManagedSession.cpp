// SPDX-License-Identifier: MIT
#include "app/ManagedSession.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "app/CommandLine.h"
#include "app/TerminationSignals.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {
constexpr const char* kAlone = "Quill runs without a session";
}  // namespace

ManagedSession::ManagedSession(SessionClient& client) : client_(client) {
  client_.SetHandlers({[this](const SessionOpen& open) { OnOpen(open); }, [this] { OnSave(); },
                       [this](const std::string& why) { OnRefused(why); }});
}

ManagedSession::~ManagedSession() { client_.SetHandlers({}); }

void ManagedSession::WatchSocket(int descriptor, std::function<void()> read) {
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [read = std::move(read)] { read(); });
}

ManagedSession::Start ManagedSession::AnnounceAndWait(std::chrono::milliseconds patience) {
  if (!client_.Announce()) {
    std::fprintf(stderr, "quill: Quill could not announce itself to the session manager; %s\n", kAlone);
    phase_ = Phase::Alone;
    return Start::Unanswered;
  }
  // The MIDI client is made only once the session names it: until then
  // there is nothing to show and nothing to play, only the manager to hear.
  QEventLoop loop;
  bool ended = false;
  QTimer::singleShot(patience, &loop, &QEventLoop::quit);
  const TerminationSignals endSignals([&](int) {
    ended = true;
    loop.quit();
  });
  waiting_ = &loop;
  loop.exec();
  waiting_ = nullptr;
  if (ended) {
    phase_ = Phase::Ended;
    return Start::Ended;
  }
  if (phase_ == Phase::Opening) {
    if (!ValidClientName(open_->clientId)) {
      std::fprintf(stderr, "quill: the session's client id \"%s\" cannot name a MIDI client; Quill keeps its own\n",
                   open_->clientId.c_str());
    }
    return Start::Opened;
  }
  phase_ = Phase::Alone;
  if (client_.State() == SessionState::Refused) return Start::Refused;  // said as it arrived
  const double seconds = std::chrono::duration<double>(patience).count();
  if (client_.State() == SessionState::Announced) {
    std::fprintf(stderr, "quill: the session manager sent no session to open within %g s; %s\n", seconds, kAlone);
  } else {
    std::fprintf(stderr, "quill: the session manager did not answer within %g s; %s\n", seconds, kAlone);
  }
  return Start::Unanswered;
}

std::string ManagedSession::ClientName(const std::string& ownName) const {
  return open_ && ValidClientName(open_->clientId) ? open_->clientId : ownName;
}

QString ManagedSession::PresetsFile() const {
  return open_ ? QString::fromStdString(open_->path) + QStringLiteral(".qcf") : QString();
}

void ManagedSession::Attach(CTabletMidiDlg& window) {
  window_ = &window;
  changes_ = connect(&window, &CTabletMidiDlg::PresetsChanged, this, [this] { PresetsChanged(); });
  if (phase_ != Phase::Opening) return;
  // A new session has no file yet: it starts with the defaults.
  const QString file = PresetsFile();
  if (!QFileInfo::exists(file)) {
    Opened({});
    return;
  }
  window.LoadKeptPresets(file, [this](const std::string& failure) { Opened(failure); });
}

void ManagedSession::Detach() {
  disconnect(changes_);
  window_ = nullptr;
  if (phase_ == Phase::Opening) client_.Fail(SessionRequest::Open, SessionError::General, "Quill is ending");
  phase_ = Phase::Ended;
}

void ManagedSession::OnOpen(const SessionOpen& open) {
  if (phase_ != Phase::Waiting) {
    // Too late: the MIDI client carries another name, and the presets are
    // the last session's. Started again, Quill waits for the session.
    std::fprintf(stderr, "quill: the session manager's session came too late; %s\n", kAlone);
    client_.Fail(SessionRequest::Open, SessionError::General,
                 "Quill had stopped waiting and runs without the session; start it again");
    return;
  }
  open_ = open;
  phase_ = Phase::Opening;
  if (waiting_) waiting_->quit();
}

void ManagedSession::OnRefused(const std::string& why) {
  std::fprintf(stderr, "quill: the session manager refused Quill (%s); %s\n", why.c_str(), kAlone);
  if (waiting_) waiting_->quit();
}

void ManagedSession::OnSave() {
  switch (phase_) {
    case Phase::Waiting:
    case Phase::Opening:
      // Written once the session's presets are in the window.
      saveWaiting_ = true;
      return;
    case Phase::Open: WriteSession(); return;
    case Phase::Broken:
      // The file may be fine for another version of Quill: never overwritten with what it replaced.
      client_.Fail(SessionRequest::Save, SessionError::General,
                   "Quill could not read '" + PresetsFile().toStdString() + "' and leaves it as it is");
      return;
    case Phase::Alone: client_.Fail(SessionRequest::Save, SessionError::NoSessionOpen, kAlone); return;
    case Phase::Ended: client_.Fail(SessionRequest::Save, SessionError::General, "Quill is ending"); return;
  }
}

void ManagedSession::Opened(const std::string& failure) {
  if (phase_ != Phase::Opening) return;  // the window went first
  if (failure.empty()) {
    phase_ = Phase::Open;
    clean_ = Presets();
    client_.Reply(SessionRequest::Open, "Opened");
  } else {
    phase_ = Phase::Broken;
    client_.Fail(SessionRequest::Open, SessionError::BadProject, failure);
  }
  if (std::exchange(saveWaiting_, false)) OnSave();
}

void ManagedSession::WriteSession() {
  // Formatted now, as Save... does; written on the window's file thread.
  std::string contents = Presets();
  const QString file = PresetsFile();
  window_->WritePresets(file, contents, [this, contents, file](bool written) {
    if (!written) {
      client_.Fail(
          SessionRequest::Save, SessionError::General,
          "Unable to save the configuration file '" + file.toStdString() + "'. Any file already there is unchanged.");
      return;
    }
    clean_ = contents;
    client_.Reply(SessionRequest::Save, "Saved");
    // A change made while the file was written is still to be saved.
    if (window_) client_.SetDirty(Presets() != clean_);
  });
}

void ManagedSession::PresetsChanged() {
  if (phase_ == Phase::Open && window_) client_.SetDirty(Presets() != clean_);
}

std::string ManagedSession::Presets() const { return window_->Engine().FormatPresets(); }
