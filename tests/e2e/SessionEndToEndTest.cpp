// SPDX-License-Identifier: MIT
// The quill program under a session manager (the tests' own) on a private JACK
// server, started twice in one session as a manager starts it: announced,
// opened on the session's path, its presets saved and brought back, its
// dirty state heard, and ended by SIGTERM, with no note left sounding.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "JackReceiver.h"
#include "JackReplay.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/SafeFileWriter.h"
#include "tests/support/JackServer.h"
#include "tests/support/MockSessionManager.h"
#include "tests/support/QuietProcess.h"
#include "tests/support/RandomPerformance.h"

namespace {
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Presets = std::array<Configuration, kSlotCount>;

/// The quill program as a session manager starts it: NSM_URL names the
/// manager; on the offscreen platform, with folders of its own for its data
/// and settings, a recorded tablet tapping over and over, and JACK.
class ManagedQuill {
 public:
  ManagedQuill(const std::string& managerUrl, const fs::path& home) : errors_(home / "stderr.txt") {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string_view text = *entry;
      const bool replaced = text.starts_with("NSM_URL=") || text.starts_with("QT_QPA_PLATFORM=") ||
                            text.starts_with("XDG_DATA_HOME=") || text.starts_with("XDG_CONFIG_HOME=");
      if (!replaced) environment.emplace_back(text);
    }
    environment.push_back("NSM_URL=" + managerUrl);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("XDG_DATA_HOME=" + (home / "data").string());
    environment.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
    pid_ = SpawnQuietly({QUILL_PROGRAM, "--tablet=recording:" QUILL_TAP_RECORDING, "--midi=jack"}, errors_.string(),
                        environment);
  }
  ~ManagedQuill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ManagedQuill(const ManagedQuill&) = delete;
  ManagedQuill& operator=(const ManagedQuill&) = delete;

  pid_t Pid() const { return pid_; }
  /// The manager's way to end a client.
  void Terminate() const { ::kill(pid_, SIGTERM); }
  /// Waits for the program to end, at most `limit`; its exit status, -1 when
  /// it did not end by itself.
  int Wait(std::chrono::seconds limit = 20s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  /// What it wrote to standard error so far.
  std::string Said() const {
    std::ifstream in(errors_);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  fs::path errors_;
  pid_t pid_ = -1;
};

Presets ReadPresets(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Presets presets;
  presets.fill(DefaultConfiguration());
  EXPECT_TRUE(ReadConfigFile(std::string_view(bytes), presets, [](int, const std::string&) { return true; }).accepted)
      << file;
  return presets;
}

/// Waits until no note the receiver heard is left sounding (a few seconds
/// at most: the last note-offs may still be on their way); the ledger.
NoteLedger LedgerOnceQuiet(JackReceiver& receiver) {
  NoteLedger ledger;
  for (int tries = 0; tries < 250; ++tries) {
    ledger = {};
    for (const auto& message : receiver.Messages()) ledger.Hear(0, message);
    if (ledger.Sounding() == 0) break;
    std::this_thread::sleep_for(20ms);
  }
  return ledger;
}

using SessionEndToEnd = JackTest;

TEST_F(SessionEndToEnd, AManagerStartsOpensSavesRestoresAndEndsQuill) {
  // The receiver is the server's only MIDI input: the first entry of the port box.
  JackReceiver receiver(JackServer::UniqueClientName("receiver"));
  ASSERT_TRUE(receiver.Ready());
  const fs::path home = fs::temp_directory_path() / ("quill-session-" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home / "session");
  const std::string clientId = JackServer::UniqueClientName("nQTST");
  const std::string path = (home / "session" / ("Quill." + clientId)).string();
  const fs::path file = path + ".qcf";

  // A new session: no file yet, the default presets.
  {
    MockManager manager;
    ManagedQuill quill(manager.Url(), home);
    ASSERT_GT(quill.Pid(), 0);
    ASSERT_TRUE(manager.HearUntil([&] { return !manager.heard.empty(); })) << quill.Said();
    // Announced, and no MIDI client yet: the session will name it.
    for (const std::string& port : JackServer::Ports()) {
      EXPECT_FALSE(port.starts_with("Quill") || port.starts_with(clientId)) << port;
    }
    manager.Send("/reply", {"/nsm/server/announce", "Welcome", "Mock", ":server-control:"});
    manager.Send("/nsm/client/open", {path, "Quill", clientId});
    ASSERT_TRUE(manager.HearLine("/reply /nsm/client/open Opened")) << quill.Said();
    EXPECT_TRUE(JackServer::WaitForPort(clientId + ":out"));
    // It plays (the receiver is the defaults' destination) while the manager saves.
    EXPECT_FALSE(receiver.WaitFor(4, 20s).empty());
    manager.Send("/nsm/client/save", std::vector<std::string>{});
    // Saved, and clean again (a manager may count a saved client as clean on its own).
    ASSERT_TRUE(manager.HearLine("/nsm/client/is_clean")) << quill.Said();
    EXPECT_EQ(ReadPresets(file)[1].scale, DefaultConfiguration().scale);
    const pid_t pid = quill.Pid();
    quill.Terminate();
    EXPECT_EQ(quill.Wait(), 0) << quill.Said();
    const NoteLedger ledger = LedgerOnceQuiet(receiver);
    EXPECT_GT(ledger.NoteOns(), 0);
    EXPECT_EQ(ledger.Sounding(), 0);
    manager.Read();
    const std::vector<std::string> heard = {"/nsm/server/announce Quill :dirty: quill 1 1 " + std::to_string(pid),
                                            "/reply /nsm/client/open Opened", "/reply /nsm/client/save Saved",
                                            "/nsm/client/is_clean"};
    EXPECT_EQ(manager.heard, heard);
  }

  // Edited between the runs: a preset's scale, and a picture that has gone since.
  Presets edited = ReadPresets(file);
  edited[1].scale = 42;
  edited[0].picture = (home / "gone.jpg").string();
  ASSERT_TRUE(WriteFileSafely(file.string(), FormatConfigFile(edited)));

  // The session again: its presets come back, the gone picture leaves its
  // preset (a box says so), which makes them differ from the file; the save
  // writes that, and SIGTERM ends Quill with the box still open.
  {
    MockManager manager;
    ManagedQuill quill(manager.Url(), home);
    ASSERT_TRUE(manager.HearUntil([&] { return !manager.heard.empty(); })) << quill.Said();
    manager.Send("/reply", {"/nsm/server/announce", "Welcome", "Mock", ":server-control:"});
    manager.Send("/nsm/client/open", {path, "Quill", clientId});
    ASSERT_TRUE(manager.HearLine("/nsm/client/is_dirty")) << quill.Said();
    manager.Send("/nsm/client/save", std::vector<std::string>{});
    ASSERT_TRUE(manager.HearLine("/nsm/client/is_clean")) << quill.Said();
    const Presets saved = ReadPresets(file);
    EXPECT_EQ(saved[1].scale, 42);
    EXPECT_EQ(saved[0].picture, "");
    const pid_t pid = quill.Pid();
    quill.Terminate();
    EXPECT_EQ(quill.Wait(), 0) << quill.Said();
    manager.Read();
    const std::vector<std::string> heard = {"/nsm/server/announce Quill :dirty: quill 1 1 " + std::to_string(pid),
                                            "/reply /nsm/client/open Opened", "/nsm/client/is_dirty",
                                            "/reply /nsm/client/save Saved", "/nsm/client/is_clean"};
    EXPECT_EQ(manager.heard, heard);
    EXPECT_EQ(LedgerOnceQuiet(receiver).Sounding(), 0);
  }
  // The session's file counted, never the presets kept between runs outside sessions.
  for (const auto& entry : fs::recursive_directory_iterator(home)) {
    EXPECT_NE(entry.path().filename(), "last-session.qcf") << entry.path();
  }
  fs::remove_all(home);
}

}  // namespace
