// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "session/SessionClient.h"

/// A client of a session manager that speaks the manager's OSC protocol
/// (API 1.1) over UDP through liblo. It owns one socket, the one it announces
/// from, so the manager's answers and requests come back to it. Nothing here
/// waits: the owner watches Descriptor() (a QSocketNotifier in the program)
/// and calls ReadMessages when it becomes readable, on the thread that runs
/// the handlers. Sends go out at once (the manager's host is looked up once,
/// at the announce, which the program makes at start-up); a manager that went
/// away simply hears nothing, and a malformed message is dropped, or answered
/// with an error when it claims to be a request.
class NsmClient : public SessionClient {
 public:
  /// The manager's URL from NSM_URL, when Quill runs under one.
  static std::optional<std::string> ManagerUrl();
  /// A client for the manager at `managerUrl` (an osc.udp URL) that will
  /// announce `executable` (the name Quill was started by) and the process
  /// `pid`; nothing when the URL cannot be used or no socket can be had, and
  /// `error` says why.
  static std::unique_ptr<NsmClient> Create(const std::string& managerUrl, std::string executable, int pid,
                                           std::string& error);
  ~NsmClient() override;
  NsmClient(const NsmClient&) = delete;
  NsmClient& operator=(const NsmClient&) = delete;

  void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
  /// `/nsm/server/announce "Quill" ":dirty:" EXECUTABLE 1 1 PID`, from the socket.
  bool Announce() override;
  SessionState State() const override { return state_; }
  bool Reply(SessionRequest request, const std::string& message) override;
  bool Fail(SessionRequest request, SessionError code, const std::string& message) override;
  void SetDirty(bool dirty) override;

  /// The socket the manager's messages arrive on.
  int Descriptor() const;
  /// Reads what has arrived, without waiting, and runs the handlers of the
  /// requests among it (unless a handler is running already: those requests
  /// then run once it returns).
  void ReadMessages();
  /// The manager's name, once it answered the announce.
  const std::string& ManagerName() const { return managerName_; }

 private:
  /// A request read from the socket, waiting for its handler.
  struct Incoming {
    enum class Kind { Open, Save, Refused } kind;
    SessionOpen open;     ///< Open
    std::string message;  ///< Refused: the manager's reason
  };
  struct Dispatch;  // liblo's message handler, which sees liblo's types
  friend struct Dispatch;

  NsmClient(void* server, void* manager, std::string executable, int pid);
  void RunHandlers();
  void SendReply(const char* requestPath, const std::string& message);
  void SendError(const char* requestPath, SessionError code, const std::string& message);
  void SendPlain(const char* path);

  void* server_;   ///< the lo_server: the socket Quill announces from and listens on
  void* manager_;  ///< the lo_address of the manager
  std::string executable_;
  int pid_;
  Handlers handlers_;
  SessionState state_ = SessionState::Unannounced;
  std::string managerName_;
  bool openWaiting_ = false;        ///< an open was handed over and is not answered yet
  bool saveWaiting_ = false;        ///< a save was handed over and is not answered yet
  std::optional<bool> heardDirty_;  ///< what the manager last heard; unknown after a save
  std::deque<Incoming> incoming_;
  bool handling_ = false;  ///< a handler is running
};
