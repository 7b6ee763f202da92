// SPDX-License-Identifier: MIT
// The session client against a pretended session manager on the loopback
// interface: the announce and its answer, open, save, dirty and clean, the
// requests it must refuse, and managers that never answer, refuse or go away.
#include "session/NsmClient.h"

#include <gtest/gtest.h>
#include <lo/lo.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/MockSessionManager.h"
#include "tests/support/SessionFakes.h"  // kept compiling with the client it stands in for

namespace {
using Strings = std::vector<std::string>;

/// Lets the two sides exchange messages until `done`, or for at most a few
/// seconds (a loopback datagram takes far less); true when `done`.
bool Exchange(NsmClient& client, MockManager* manager, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pollfd fds[] = {{client.Descriptor(), POLLIN, 0}, {manager ? manager->Descriptor() : -1, POLLIN, 0}};
    ::poll(fds, 2, 20);
    client.ReadMessages();
    if (manager) manager->Read();
  }
  return true;
}

bool Hears(NsmClient& client, MockManager& manager, size_t count) {
  return Exchange(client, &manager, [&] { return manager.heard.size() >= count; });
}

std::unique_ptr<NsmClient> ClientOf(const MockManager& manager) {
  std::string error;
  auto client = NsmClient::Create(manager.Url(), "quill", 4321, error);
  EXPECT_NE(client, nullptr) << error;
  return client;
}

/// The way into a session: announce, the manager's welcome, open and its answer.
void Join(NsmClient& client, MockManager& manager, Strings& opened) {
  ASSERT_TRUE(client.Announce());
  ASSERT_TRUE(Hears(client, manager, 1));
  manager.Send("/reply", {"/nsm/server/announce", "Welcome", "Mock", ":server-control:"});
  manager.Send("/nsm/client/open", {"/tmp/session/Quill.nABC", "Quill", "nABC"});
  ASSERT_TRUE(Exchange(client, &manager, [&] { return !opened.empty(); }));
  ASSERT_TRUE(client.Reply(SessionRequest::Open, "Opened"));
  ASSERT_TRUE(Hears(client, manager, 2));
}

/// A client that has joined the manager's session.
struct OpenSession : testing::Test {
  void SetUp() override {
    client = ClientOf(manager);
    ASSERT_TRUE(client);
    client->SetHandlers({[this](const SessionOpen& open) { opened.push_back(open.path + " " + open.clientId); },
                         [this] { ++saves; }, nullptr});
    Join(*client, manager, opened);
  }

  MockManager manager;
  std::unique_ptr<NsmClient> client;
  Strings opened;
  int saves = 0;
};

TEST_F(OpenSession, AnnounceOpenSaveAndTheDirtyStateReachTheManagerInOrder) {
  EXPECT_EQ(client->State(), SessionState::Open);
  EXPECT_EQ(client->ManagerName(), "Mock");
  EXPECT_EQ(opened, Strings{"/tmp/session/Quill.nABC nABC"});

  client->SetDirty(true);
  client->SetDirty(true);  // heard once
  client->SetDirty(false);
  client->SetDirty(true);
  manager.Send("/nsm/client/save", Strings{});
  ASSERT_TRUE(Exchange(*client, &manager, [this] { return saves == 1; }));
  EXPECT_TRUE(client->Reply(SessionRequest::Save, "Saved"));
  EXPECT_FALSE(client->Reply(SessionRequest::Save, "Saved")) << "answered twice";
  // The manager may count a saved client as clean: a change after the save is told again.
  client->SetDirty(true);
  client->SetDirty(false);
  manager.Send("/nsm/client/save", Strings{});
  ASSERT_TRUE(Exchange(*client, &manager, [this] { return saves == 2; }));
  EXPECT_TRUE(client->Fail(SessionRequest::Save, SessionError::General, "No space left on device"));
  ASSERT_TRUE(Hears(*client, manager, 9));

  const Strings expected = {"/nsm/server/announce Quill :dirty: quill 1 1 4321",
                            "/reply /nsm/client/open Opened",
                            "/nsm/client/is_dirty",
                            "/nsm/client/is_clean",
                            "/nsm/client/is_dirty",
                            "/reply /nsm/client/save Saved",
                            "/nsm/client/is_dirty",
                            "/nsm/client/is_clean",
                            "/error /nsm/client/save -1 No space left on device"};
  EXPECT_EQ(manager.heard, expected);
}

TEST_F(OpenSession, RequestsThatCannotBeTakenAreRefusedAndStrangeDatagramsDropped) {
  const auto malformedOpen = [&] {
    lo_message message = lo_message_new();
    lo_message_add_string(message, "/tmp/x");
    lo_message_add_int32(message, 3);
    manager.Send("/nsm/client/open", message);
  };
  const struct {
    const char* what;
    std::function<void()> send;
    const char* answer;  ///< what the manager hears back
  } cases[] = {
      {"a second open",
       [&] {
         manager.Send("/nsm/client/open", {"/tmp/other", "Quill", "nXYZ"});
       },
       "/error /nsm/client/open -1 Quill has a session open already"},
      {"an open with a number", malformedOpen,
       "/error /nsm/client/open -1 Quill expects a path, a display name and a client id"},
      {"an open with four texts",
       [&] {
         manager.Send("/nsm/client/open", {"a", "b", "c", "d"});
       },
       "/error /nsm/client/open -1 Quill expects a path, a display name and a client id"},
      {"a save while one is written",
       [&] {
         manager.Send("/nsm/client/save", Strings{});
         manager.Send("/nsm/client/save", Strings{});
       },
       "/error /nsm/client/save -12 Quill is still saving"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = manager.heard.size();
    manager.SendGarbage();
    manager.Send("/nsm/client/nothing_quill_knows", {"x"});
    manager.Send("/reply", Strings{});
    c.send();
    ASSERT_TRUE(Hears(*client, manager, before + 1));
    EXPECT_EQ(manager.heard.back(), c.answer);
  }
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(saves, 1);
  EXPECT_TRUE(client->Reply(SessionRequest::Save, "Saved"));
}

TEST_F(OpenSession, ARequestDuringAHandlerWaitsUntilItReturns) {
  // A message box in the save handler runs an event loop, which reads the socket again.
  Strings order;
  client->SetHandlers({nullptr,
                       [&] {
                         order.push_back("save begins");
                         client->Reply(SessionRequest::Save, "Saved");
                         if (order.size() == 1) {
                           // A malformed open is answered at once: once the manager hears
                           // that, the save before it has been read.
                           manager.Send("/nsm/client/save", Strings{});
                           manager.Send("/nsm/client/open", {"x"});
                           Hears(*client, manager, manager.heard.size() + 2);
                         }
                         order.push_back("save ends");
                       },
                       nullptr});
  manager.Send("/nsm/client/save", Strings{});
  ASSERT_TRUE(Exchange(*client, &manager, [&] { return order.size() == 4; }));
  EXPECT_EQ(order, (Strings{"save begins", "save ends", "save begins", "save ends"}));
}

TEST(NsmClient, ManagersThatRefuseNeverAnswerOrGoAwayLeaveQuillRunning) {
  MockManager silent;
  auto unanswered = ClientOf(silent);
  ASSERT_TRUE(unanswered);
  ASSERT_TRUE(unanswered->Announce());
  EXPECT_FALSE(unanswered->Announce()) << "announced twice";
  ASSERT_TRUE(Hears(*unanswered, silent, 1));
  unanswered->ReadMessages();
  EXPECT_EQ(unanswered->State(), SessionState::Announcing);
  silent.Send("/nsm/client/save", Strings{});
  ASSERT_TRUE(Hears(*unanswered, silent, 2));
  EXPECT_EQ(silent.heard.back(), "/error /nsm/client/save -6 Quill has no session open");

  auto leaving = std::make_unique<MockManager>();
  auto left = ClientOf(*leaving);
  Strings opened;
  int saves = 0;
  left->SetHandlers({[&](const SessionOpen& open) { opened.push_back(open.clientId); }, [&] { ++saves; }, nullptr});
  Join(*left, *leaving, opened);
  leaving->Send("/nsm/client/save", Strings{});
  ASSERT_TRUE(Exchange(*left, leaving.get(), [&] { return saves == 1; }));
  // Gone: what Quill sends is lost (the system may say so on the socket), and nothing waits.
  leaving.reset();
  EXPECT_TRUE(left->Reply(SessionRequest::Save, "Saved"));
  left->SetDirty(true);
  left->ReadMessages();
  left->ReadMessages();
  EXPECT_EQ(left->State(), SessionState::Open);

  MockManager refusing;
  auto refused = ClientOf(refusing);
  std::string why;
  refused->SetHandlers({nullptr, nullptr, [&](const std::string& message) { why = message; }});
  ASSERT_TRUE(refused->Announce());
  ASSERT_TRUE(Hears(*refused, refusing, 1));
  lo_message message = lo_message_new();
  lo_message_add_string(message, "/nsm/server/announce");
  lo_message_add_int32(message, -2);
  lo_message_add_string(message, "Incompatible API version");
  refusing.Send("/error", message);
  ASSERT_TRUE(Exchange(*refused, &refusing, [&] { return !why.empty(); }));
  EXPECT_EQ(why, "Incompatible API version");
  EXPECT_EQ(refused->State(), SessionState::Refused);
}

TEST(NsmClient, OnlyAUdpUrlNamesAManager) {
  const struct {
    const char* url;
    bool usable;
  } cases[] = {{"osc.udp://localhost:17000/", true},
               {"osc.tcp://localhost:17000/", false},
               {"osc.udp://localhost/", false},
               {"not a url", false},
               {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    std::string error;
    EXPECT_EQ(NsmClient::Create(c.url, "quill", 1, error) != nullptr, c.usable);
    EXPECT_EQ(error.empty(), c.usable);
  }

  ::setenv("NSM_URL", "", 1);
  EXPECT_EQ(NsmClient::ManagerUrl(), std::nullopt);
  ::setenv("NSM_URL", "osc.udp://localhost:17000/", 1);
  EXPECT_EQ(NsmClient::ManagerUrl(), "osc.udp://localhost:17000/");
  ::unsetenv("NSM_URL");
  EXPECT_EQ(NsmClient::ManagerUrl(), std::nullopt);
}

}  // namespace
