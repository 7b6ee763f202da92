// SPDX-License-Identifier: MIT
#include "tests/support/JackServer.h"

#include <jack/jack.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/support/QuietProcess.h"

namespace {
void Silent(const char*) {}

int serverCount = 0;

// Lends `use` a short-lived client of the current server; false when none could be made.
template <typename Use>
bool WithClient(const std::string& base, Use use) {
  jack_status_t status{};
  jack_client_t* client = jack_client_open(JackServer::UniqueClientName(base).c_str(), JackNoStartServer, &status);
  if (!client) return false;
  use(client);
  jack_client_close(client);
  return true;
}
}  // namespace

std::string JackServer::UniqueClientName(const std::string& base) { return base + "-" + std::to_string(::getpid()); }

bool JackServer::PipeWire() {
  const char* kind = std::getenv("QUILL_TEST_JACK");
  return kind && std::string(kind) == "pipewire";
}

bool JackServer::Installed() {
  return std::system(PipeWire() ? "command -v pipewire >/dev/null 2>&1" : "command -v jackd >/dev/null 2>&1") == 0;
}

JackServer::JackServer(int period)
    : name_("quill-test-" + std::to_string(::getpid()) + "-" + std::to_string(serverCount++)), period_(period) {}

JackServer::~JackServer() {
  // jackd keeps a table of the user's servers, shared by all of them, and a
  // killed one stays in it (with its memory) until a server of the same
  // name starts: one more start leaves the table as it was found.
  if (killed_ && !PipeWire() && Start()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Stop();
  if (!runtimeFolder_.empty()) std::filesystem::remove_all(runtimeFolder_);
}

bool JackServer::Start() {
  killed_ = false;
  jack_set_error_function(Silent);
  jack_set_info_function(Silent);
  const std::string rate = std::to_string(kSampleRate);
  const std::string period = std::to_string(period_);
  std::vector<std::string> args;
  if (PipeWire()) {
    // Headless, no session manager: its socket in a folder of its own, which
    // its JACK clients find through XDG_RUNTIME_DIR. Clients ask for the
    // period; the graph runs at the shortest asked for.
    if (runtimeFolder_.empty()) {
      std::string folder = (std::filesystem::temp_directory_path() / "quill-pipewire-XXXXXX").string();
      if (!::mkdtemp(folder.data())) return false;
      runtimeFolder_ = folder;
    }
    ::setenv("XDG_RUNTIME_DIR", runtimeFolder_.c_str(), 1);
    ::setenv("PIPEWIRE_QUANTUM", (period + "/" + rate).c_str(), 1);
    ::unsetenv("JACK_DEFAULT_SERVER");
    args = {"pipewire"};
  } else {
    ::setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    ::setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Synchronous: each cycle waits for every client, so a client that the
    // busy machine schedules late delays the cycle instead of losing or
    // repeating its MIDI events (which would fail the tests for the
    // scheduler's sake).
    args = {"jackd", "-n", name_, "--no-realtime", "--sync", "-d", "dummy", "-r", rate, "-p", period};
  }
  pid_ = SpawnQuietly(args);
  if (pid_ <= 0) return false;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    if (WithClient("probe", [](jack_client_t*) {})) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void JackServer::Pause() {
  if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void JackServer::Resume() {
  if (pid_ > 0) ::kill(pid_, SIGCONT);
}

void JackServer::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  killed_ = true;
}

void JackServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGCONT);
  ::kill(pid_, SIGTERM);
  int status = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

bool JackServer::WaitForPort(const std::string& port, bool present) {
  bool done = false;
  WithClient("port-watch", [&](jack_client_t* client) {
    for (int i = 0; i < 500 && !done; ++i) {
      done = (jack_port_by_name(client, port.c_str()) != nullptr) == present;
      if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  return done;
}

bool JackServer::ConnectPorts(const std::string& from, const std::string& to) {
  bool connected = false;
  WithClient("patchbay",
             [&](jack_client_t* client) { connected = jack_connect(client, from.c_str(), to.c_str()) == 0; });
  return connected;
}

bool JackServer::SetBufferSize(int frames) {
  bool set = false;
  WithClient("bufsize", [&](jack_client_t* client) {
    set = jack_set_buffer_size(client, static_cast<jack_nframes_t>(frames)) == 0;
  });
  return set;
}

std::vector<std::string> JackServer::Ports() {
  std::vector<std::string> names;
  WithClient("patchbay", [&](jack_client_t* client) {
    if (const char** ports = jack_get_ports(client, nullptr, nullptr, 0)) {
      for (const char** port = ports; *port; ++port) names.emplace_back(*port);
      jack_free(ports);
    }
  });
  return names;
}

std::vector<std::string> JackServer::ConnectionsOf(const std::string& port) {
  std::vector<std::string> names;
  WithClient("patchbay", [&](jack_client_t* client) {
    jack_port_t* found = jack_port_by_name(client, port.c_str());
    if (const char** links = found ? jack_port_get_all_connections(client, found) : nullptr) {
      for (const char** link = links; *link; ++link) names.emplace_back(*link);
      jack_free(links);
    }
  });
  return names;
}
