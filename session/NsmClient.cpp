// SPDX-License-Identifier: MIT
#include "session/NsmClient.h"

#include <lo/lo.h>

#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kAnnouncePath = "/nsm/server/announce";
constexpr const char* kOpenPath = "/nsm/client/open";
constexpr const char* kSavePath = "/nsm/client/save";
constexpr std::string_view kUdpUrlPrefix = "osc.udp://";
/// The protocol version Quill speaks: 1.1.
constexpr int kApiMajor = 1;
constexpr int kApiMinor = 1;
/// Datagrams read in one go; more wait for the next call, so a flood of them
/// cannot hold the thread.
constexpr int kMostDatagramsPerRead = 64;

const char* RequestPath(SessionRequest request) { return request == SessionRequest::Open ? kOpenPath : kSavePath; }

bool IsText(char type) { return type == LO_STRING || type == LO_SYMBOL; }

/// The arguments of one message, read only as far as their types allow.
class Arguments {
 public:
  Arguments(const char* types, lo_arg** argv) : types_(types ? types : ""), argv_(argv) {}
  size_t Count() const { return types_.size(); }
  bool TextAt(size_t i) const { return i < types_.size() && IsText(types_[i]); }
  /// The text at `i`, or "" when there is none there.
  std::string Text(size_t i) const {
    // liblo aligns arguments to 4 bytes, less than its union asks for: read the bytes themselves.
    return TextAt(i) ? std::string(reinterpret_cast<const char*>(argv_[i])) : std::string();
  }
  bool AllText(size_t count) const {
    if (Count() != count) return false;
    for (size_t i = 0; i < count; ++i) {
      if (!TextAt(i)) return false;
    }
    return true;
  }

 private:
  std::string_view types_;
  lo_arg** argv_;
};

}  // namespace

/// liblo's handler of every message that arrives: requests wait in the queue
/// for their handlers, answers change the state at once.
struct NsmClient::Dispatch {
  static int OnMessage(const char* path, const char* types, lo_arg** argv, int /*argc*/, lo_message /*message*/,
                       void* user) {
    auto& client = *static_cast<NsmClient*>(user);
    const std::string_view name = path ? path : "";
    const Arguments arguments(types, argv);
    if (name == kOpenPath) {
      TakeOpen(client, arguments);
    } else if (name == kSavePath) {
      TakeSave(client);
    } else if (name == "/reply" || name == "/error") {
      TakeAnswer(client, name == "/error", arguments);
    }
    // Anything else (session_is_loaded, what Quill did not announce it can
    // do, strangers) is of no concern here.
    return 0;
  }

  static void TakeOpen(NsmClient& client, const Arguments& arguments) {
    if (!arguments.AllText(3)) {
      client.SendError(kOpenPath, SessionError::General, "Quill expects a path, a display name and a client id");
      return;
    }
    if (client.state_ == SessionState::Open) {
      // Quill did not announce it could switch: its MIDI client already carries the first id.
      client.SendError(kOpenPath, SessionError::General, "Quill has a session open already");
      return;
    }
    client.state_ = SessionState::Open;
    client.openWaiting_ = true;
    client.heardDirty_ = false;  // the manager takes what is opened as saved
    client.incoming_.push_back({Incoming::Kind::Open, {arguments.Text(0), arguments.Text(1), arguments.Text(2)}, {}});
  }

  static void TakeSave(NsmClient& client) {
    if (client.state_ != SessionState::Open) {
      client.SendError(kSavePath, SessionError::NoSessionOpen, "Quill has no session open");
    } else if (client.saveWaiting_) {
      client.SendError(kSavePath, SessionError::OperationPending, "Quill is still saving");
    } else {
      client.saveWaiting_ = true;
      client.incoming_.push_back({Incoming::Kind::Save, {}, {}});
    }
  }

  // /reply "/nsm/server/announce" message manager capabilities, or
  // /error "/nsm/server/announce" code message; answers to anything else
  // Quill sends are not expected.
  static void TakeAnswer(NsmClient& client, bool refused, const Arguments& arguments) {
    if (client.state_ != SessionState::Announcing || arguments.Text(0) != kAnnouncePath) return;
    if (refused) {
      client.state_ = SessionState::Refused;
      client.incoming_.push_back({Incoming::Kind::Refused, {}, arguments.Text(2)});
    } else {
      client.state_ = SessionState::Announced;
      client.managerName_ = arguments.Text(2);
    }
  }
};

std::optional<std::string> NsmClient::ManagerUrl() {
  const char* url = std::getenv("NSM_URL");
  if (!url || !*url) return std::nullopt;
  return std::string(url);
}

std::unique_ptr<NsmClient> NsmClient::Create(const std::string& managerUrl, std::string executable, int pid,
                                             std::string& error) {
  // Managers listen on UDP; liblo would complain on standard error of what it cannot parse.
  lo_address manager = managerUrl.starts_with(kUdpUrlPrefix) ? lo_address_new_from_url(managerUrl.c_str()) : nullptr;
  if (!manager || !lo_address_get_port(manager) || lo_address_get_protocol(manager) != LO_UDP) {
    if (manager) lo_address_free(manager);
    error = "\"" + managerUrl + "\" names no session manager reached over UDP";
    return nullptr;
  }
  // Errors in what arrives are dropped with the datagram: no handler.
  lo_server server = lo_server_new_with_proto(nullptr, LO_UDP, nullptr);
  if (!server) {
    lo_address_free(manager);
    error = "no UDP socket for the session manager";
    return nullptr;
  }
  return std::unique_ptr<NsmClient>(new NsmClient(server, manager, std::move(executable), pid));
}

NsmClient::NsmClient(void* server, void* manager, std::string executable, int pid)
    : server_(server), manager_(manager), executable_(std::move(executable)), pid_(pid) {
  lo_server_add_method(static_cast<lo_server>(server_), nullptr, nullptr, &Dispatch::OnMessage, this);
}

NsmClient::~NsmClient() {
  lo_server_free(static_cast<lo_server>(server_));
  lo_address_free(static_cast<lo_address>(manager_));
}

bool NsmClient::Announce() {
  if (state_ != SessionState::Unannounced) return false;
  lo_message message = lo_message_new();
  lo_message_add_string(message, "Quill");
  lo_message_add_string(message, ":dirty:");
  lo_message_add_string(message, executable_.c_str());
  lo_message_add_int32(message, kApiMajor);
  lo_message_add_int32(message, kApiMinor);
  lo_message_add_int32(message, pid_);
  // From the socket Quill listens on: the manager answers where a message came from.
  const int sent =
      lo_send_message_from(static_cast<lo_address>(manager_), static_cast<lo_server>(server_), kAnnouncePath, message);
  lo_message_free(message);
  if (sent < 0) return false;
  state_ = SessionState::Announcing;
  return true;
}

bool NsmClient::Reply(SessionRequest request, const std::string& message) {
  bool& waiting = request == SessionRequest::Open ? openWaiting_ : saveWaiting_;
  if (!waiting) return false;
  waiting = false;
  // Managers may count a saved client as clean on their own: tell it again next time.
  if (request == SessionRequest::Save) heardDirty_.reset();
  SendReply(RequestPath(request), message);
  return true;
}

bool NsmClient::Fail(SessionRequest request, SessionError code, const std::string& message) {
  bool& waiting = request == SessionRequest::Open ? openWaiting_ : saveWaiting_;
  if (!waiting) return false;
  waiting = false;
  SendError(RequestPath(request), code, message);
  return true;
}

void NsmClient::SetDirty(bool dirty) {
  if (state_ != SessionState::Open || heardDirty_ == dirty) return;
  heardDirty_ = dirty;
  SendPlain(dirty ? "/nsm/client/is_dirty" : "/nsm/client/is_clean");
}

int NsmClient::Descriptor() const { return lo_server_get_socket_fd(static_cast<lo_server>(server_)); }

void NsmClient::ReadMessages() {
  // 0: nothing more has arrived; a datagram that is no message gives -1 and is dropped.
  for (int i = 0; i < kMostDatagramsPerRead; ++i) {
    if (lo_server_recv_noblock(static_cast<lo_server>(server_), 0) == 0) break;
  }
  RunHandlers();
}

void NsmClient::RunHandlers() {
  if (handling_) return;  // the running handler's loop takes them
  handling_ = true;
  while (!incoming_.empty()) {
    const Incoming next = std::move(incoming_.front());
    incoming_.pop_front();
    switch (next.kind) {
      case Incoming::Kind::Open:
        if (handlers_.open) {
          handlers_.open(next.open);
        } else {
          Fail(SessionRequest::Open, SessionError::General, "Quill cannot open a session now");
        }
        break;
      case Incoming::Kind::Save:
        if (handlers_.save) {
          handlers_.save();
        } else {
          Fail(SessionRequest::Save, SessionError::General, "Quill cannot save a session now");
        }
        break;
      case Incoming::Kind::Refused:
        if (handlers_.refused) handlers_.refused(next.message);
        break;
    }
  }
  handling_ = false;
}

void NsmClient::SendReply(const char* requestPath, const std::string& text) {
  lo_message message = lo_message_new();
  lo_message_add_string(message, requestPath);
  lo_message_add_string(message, text.c_str());
  lo_send_message_from(static_cast<lo_address>(manager_), static_cast<lo_server>(server_), "/reply", message);
  lo_message_free(message);
}

void NsmClient::SendError(const char* requestPath, SessionError code, const std::string& text) {
  lo_message message = lo_message_new();
  lo_message_add_string(message, requestPath);
  lo_message_add_int32(message, static_cast<int32_t>(code));
  lo_message_add_string(message, text.c_str());
  lo_send_message_from(static_cast<lo_address>(manager_), static_cast<lo_server>(server_), "/error", message);
  lo_message_free(message);
}

void NsmClient::SendPlain(const char* path) {
  lo_message message = lo_message_new();
  lo_send_message_from(static_cast<lo_address>(manager_), static_cast<lo_server>(server_), path, message);
  lo_message_free(message);
}
