// SPDX-License-Identifier: MIT
// A session manager of the tests' own, over liblo and the loopback interface:
// for the session client's tests and for the program started as a manager
// starts it.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// A session manager of the test's own: it hears what Quill sends, as one
/// line per message ("/path arg arg ..."), and sends requests back to where
/// the announce came from.
class MockManager {
 public:
  MockManager() : server_(lo_server_new_with_proto(nullptr, LO_UDP, nullptr)) {
    lo_server_add_method(server_, nullptr, nullptr, &MockManager::Hear, this);
  }
  ~MockManager() {
    if (client_) lo_address_free(client_);
    lo_server_free(server_);
  }

  std::string Url() const {
    char* url = lo_server_get_url(server_);
    std::string text = url;
    std::free(url);
    return text;
  }
  int Descriptor() const { return lo_server_get_socket_fd(server_); }
  void Read() {
    while (lo_server_recv_noblock(server_, 0) != 0) {
    }
  }
  /// Hears what arrives until `done`, or for at most `limit`; true when `done`.
  /// For a client in another process: this one's own is read elsewhere.
  bool HearUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd socket = {Descriptor(), POLLIN, 0};
      ::poll(&socket, 1, 20);
      Read();
    }
    return true;
  }
  /// Hears until `line` has been heard (after the first `from` lines).
  bool HearLine(const std::string& line, size_t from = 0, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return HearUntil(
        [&] { return std::find(heard.begin() + std::min(from, heard.size()), heard.end(), line) != heard.end(); },
        limit);
  }

  /// Sends to the socket the announce came from.
  void Send(const char* path, lo_message message) {
    ASSERT_NE(client_, nullptr) << "nothing was announced";
    lo_send_message_from(client_, server_, path, message);
    lo_message_free(message);
  }
  void Send(const char* path, const std::vector<std::string>& texts) {
    lo_message message = lo_message_new();
    for (const std::string& text : texts) lo_message_add_string(message, text.c_str());
    Send(path, message);
  }
  /// A datagram that is no OSC message.
  void SendGarbage() {
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(lo_address_get_port(client_))));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    ::sendto(socket, "\x01\x02garbage", 9, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(socket);
  }

  std::vector<std::string> heard;  ///< every message, in order

 private:
  static int Hear(const char* path, const char* types, lo_arg** argv, int argc, lo_message message, void* self) {
    auto& manager = *static_cast<MockManager*>(self);
    std::string line = path;
    for (int i = 0; i < argc; ++i) {
      line += ' ';
      // Arguments are aligned to 4 bytes only: their bytes are read, not liblo's union.
      if (types[i] == LO_STRING) {
        line += reinterpret_cast<const char*>(argv[i]);
      } else if (types[i] == LO_INT32) {
        int32_t number = 0;
        std::memcpy(&number, argv[i], sizeof number);
        line += std::to_string(number);
      } else {
        line += '?';
      }
    }
    manager.heard.push_back(line);
    if (std::string_view(path) == "/nsm/server/announce" && !manager.client_) {
      char* source = lo_address_get_url(lo_message_get_source(message));
      manager.client_ = lo_address_new_from_url(source);
      std::free(source);
    }
    return 0;
  }

  lo_server server_;
  lo_address client_ = nullptr;
};
