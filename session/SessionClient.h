// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

/// What a session manager asks Quill to open.
struct SessionOpen {
  std::string path;         ///< where Quill's state lives, without an extension: Quill keeps PATH.qcf
  std::string displayName;  ///< the session's name for Quill, for showing
  std::string clientId;     ///< the name Quill goes by in the session: its MIDI client name
};

/// The requests a manager makes, each answered once with Reply or Fail.
enum class SessionRequest {
  Open,  ///< open the session's state (once)
  Save,  ///< write the state where the open named it
};

/// Why a request failed, in the numbers session managers know.
enum class SessionError : int32_t {
  General = -1,           ///< anything without a number of its own (a save that failed)
  NoSessionOpen = -6,     ///< a save before any open
  BadProject = -9,        ///< the state could not be read
  OperationPending = -12  ///< a save while the previous one is still being written
};

/// How far the conversation with the manager has come.
enum class SessionState {
  Unannounced,  ///< nothing sent yet
  Announcing,   ///< announced, no answer yet (a manager may never answer)
  Announced,    ///< the manager took the announce
  Refused,      ///< the manager refused the announce
  Open,         ///< an open arrived: Quill is part of the session
};

/// Quill as a client of a session manager: it announces itself, is told to
/// open its state and to save it, answers each request, and tells the manager
/// whether the state has changed since it was last saved or opened. The
/// requests reach the handlers on the thread that runs the client, never
/// inside another handler: a request that arrives while one is handled (a
/// message box runs a nested event loop) waits for it to return. NsmClient
/// speaks to a real manager; tests use a fake.
class SessionClient {
 public:
  struct Handlers {
    std::function<void(const SessionOpen&)> open;         ///< answer with Reply or Fail(SessionRequest::Open)
    std::function<void()> save;                           ///< answer with Reply or Fail(SessionRequest::Save)
    std::function<void(const std::string& why)> refused;  ///< the manager will not have Quill
  };

  virtual ~SessionClient() = default;

  /// Sets what runs for each request; call it before Announce.
  virtual void SetHandlers(Handlers handlers) = 0;
  /// Tells the manager Quill is here; its answers come later. False when
  /// the announce could not be sent.
  virtual bool Announce() = 0;
  virtual SessionState State() const = 0;

  /// Answers the request being handled: it was done. A request that is not
  /// waiting for an answer is not answered twice (false).
  virtual bool Reply(SessionRequest request, const std::string& message) = 0;
  /// Answers the request being handled: it failed, and why.
  virtual bool Fail(SessionRequest request, SessionError code, const std::string& message) = 0;

  /// Whether the presets differ from those last saved or opened. The manager
  /// hears of each change once, and only while a session is open.
  virtual void SetDirty(bool dirty) = 0;
};
