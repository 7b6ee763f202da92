// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "session/SessionClient.h"

class CTabletMidiDlg;
class QEventLoop;

/// Quill as a member of a session manager's session, on the GUI thread. At
/// start-up it announces Quill and waits for the session to open, before
/// any MIDI client exists (the session names it). Then the window runs the
/// session: the session's file (PATH.qcf) is loaded as Load... would, or the
/// defaults stay for a new session; each save writes the twelve presets there
/// as Save... does; and the manager hears whether the presets differ from
/// those last saved or opened. Requests that arrive before the window can
/// take them wait for it.
class ManagedSession : public QObject {
 public:
  /// How long start-up waits for a manager to send the session to open.
  static constexpr std::chrono::seconds kPatience{5};

  /// Takes over `client`'s handlers; the client must outlive this object.
  explicit ManagedSession(SessionClient& client);
  ~ManagedSession() override;
  ManagedSession(const ManagedSession&) = delete;
  ManagedSession& operator=(const ManagedSession&) = delete;

  /// Runs `read` whenever `descriptor` (the client's socket) becomes readable.
  void WatchSocket(int descriptor, std::function<void()> read);

  /// How the wait at start-up ended.
  enum class Start {
    Opened,      ///< the session arrived: Quill runs in it
    Refused,     ///< the manager will not have Quill: it runs on its own
    Unanswered,  ///< nothing (or no session) came in time: Quill runs on its own
    Ended,       ///< SIGINT, SIGTERM or SIGHUP arrived: the program ends
  };
  /// Announces Quill and runs the event loop until the manager sends the
  /// session to open, refuses Quill, or `patience` passes; a termination
  /// signal ends the wait too. Said on standard error, unless the session
  /// opened.
  Start AnnounceAndWait(std::chrono::milliseconds patience = kPatience);
  /// The session the manager sent to open, once it has.
  const std::optional<SessionOpen>& Session() const { return open_; }
  /// The MIDI client's name: the session's own name for Quill (its client
  /// id) once a session opened, else `ownName`.
  std::string ClientName(const std::string& ownName) const;
  /// Where the session keeps the presets: PATH.qcf.
  QString PresetsFile() const;

  /// `window` (initialised) runs the session from now on: the session's file
  /// is loaded, and the open answered when it has been taken in (or could
  /// not be); saves are written from then on, and changes of the presets
  /// told as the dirty state.
  void Attach(CTabletMidiDlg& window);
  /// The window is about to go: requests from now on are refused.
  void Detach();

 private:
  enum class Phase {
    Waiting,  ///< announced, no session yet
    Alone,    ///< start-up went on without a session
    Opening,  ///< a session arrived; its file is not taken in yet
    Open,     ///< the presets are the session's
    Broken,   ///< the session's file could not be read: it is left alone
    Ended,    ///< the window has gone
  };

  void OnOpen(const SessionOpen& open);
  void OnSave();
  void OnRefused(const std::string& why);
  /// The session's file has been loaded (`failure` empty) or not.
  void Opened(const std::string& failure);
  void WriteSession();
  void PresetsChanged();
  std::string Presets() const;

  SessionClient& client_;
  Phase phase_ = Phase::Waiting;
  std::optional<SessionOpen> open_;
  CTabletMidiDlg* window_ = nullptr;
  QEventLoop* waiting_ = nullptr;  ///< the start-up wait, while it runs
  bool saveWaiting_ = false;       ///< a save arrived before the window could take it
  std::string clean_;              ///< the presets as last saved or opened
  QMetaObject::Connection changes_;
};
