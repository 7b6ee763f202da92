// SPDX-License-Identifier: MIT
// A session manager's client for tests of what Quill does with a session:
// the test makes the manager's requests, and reads Quill's answers.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "session/SessionClient.h"

/// Hands the test's requests to the handlers and notes every answer and
/// every dirty or clean message, as a manager would hear them.
class FakeSessionClient : public SessionClient {
 public:
  void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
  bool Announce() override {
    heard.push_back("announce");
    state_ = SessionState::Announcing;
    return true;
  }
  SessionState State() const override { return state_; }
  bool Reply(SessionRequest request, const std::string& message) override {
    heard.push_back(Name(request) + " done: " + message);
    if (request == SessionRequest::Save) dirty_ = -1;
    return true;
  }
  bool Fail(SessionRequest request, SessionError code, const std::string& message) override {
    heard.push_back(Name(request) + " failed " + std::to_string(static_cast<int>(code)) + ": " + message);
    return true;
  }
  void SetDirty(bool dirty) override {
    if (state_ != SessionState::Open || dirty_ == int{dirty}) return;
    dirty_ = dirty;
    heard.push_back(dirty ? "dirty" : "clean");
  }

  /// The manager's requests.
  void Open(const SessionOpen& open) {
    state_ = SessionState::Open;
    dirty_ = 0;
    if (handlers_.open) handlers_.open(open);
  }
  void Save() {
    if (handlers_.save) handlers_.save();
  }
  void Refuse(const std::string& why) {
    state_ = SessionState::Refused;
    if (handlers_.refused) handlers_.refused(why);
  }

  std::vector<std::string> heard;  ///< "announce", "open done: Opened", "save failed -1: ...", "dirty", "clean"

 private:
  static std::string Name(SessionRequest request) { return request == SessionRequest::Open ? "open" : "save"; }

  Handlers handlers_;
  SessionState state_ = SessionState::Unannounced;
  int dirty_ = -1;  ///< what the manager last heard: 0 clean, 1 dirty, -1 unknown
};
