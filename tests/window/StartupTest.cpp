// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

// The program around the window: its command line, folders, tablet check,
// start file and termination signals.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <fstream>
#include <string>
#include <vector>

#include "app/CTabletMidiApp.h"
#include "app/CommandLine.h"
#include "app/TerminationSignals.h"
#include "config/ConfigFileWriter.h"
#include "tablet/layers/MouseTabletService.h"
#include "tests/support/WindowFakes.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return temp.filePath(name); }
  // A plain file: no folder can be created beneath it, not even by root.
  QString MakeFile(const QString& name) const {
    QFile(Path(name)).open(QIODevice::WriteOnly);
    return Path(name);
  }

  QTemporaryDir temp;
  RecordingMidi midi{1};
  ScriptedTablet tablet;
  RecordingMessages messages;
};

TEST_F(StartupTest, FoldersBesideTheProgramElseInTheDataFolderElseTwoWarnings) {
  QDir(temp.path()).mkdir("bin");
  CTabletMidiApp beside(tablet, midi, messages);
  ASSERT_TRUE(beside.Prepare(Path("bin"), Path("data")));
  EXPECT_TRUE(QFileInfo(Path("bin/Pictures")).isDir());
  EXPECT_EQ(beside.ConfigsFolder(), Path("bin/Configs"));

  const QString program = MakeFile("quill-binary");  // unwritable: no folder beneath a file
  CTabletMidiApp data(tablet, midi, messages);
  ASSERT_TRUE(data.Prepare(program, Path("data/Quill")));
  EXPECT_EQ(data.Locations().picturesFolder, Path("data/Quill/Pictures").toStdString());
  EXPECT_TRUE(messages.shown.empty());

  CTabletMidiApp neither(tablet, midi, messages);
  EXPECT_TRUE(neither.Prepare(program, MakeFile("not-a-folder") + "/Quill"));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].first, "Unable to create the 'Configs' folder !");
  EXPECT_EQ(messages.shown[1].first, "Unable to create the 'Pictures' folder !");
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Warning);
}

TEST_F(StartupTest, WithoutAUsableTabletTheProgramEnds) {
  using Makers = TabletMakers;
  const std::tuple<bool, std::string, TabletMakers, const char*> cases[] = {
      // message nullptr: start-up goes on
      {false, "WACOM Intuos", Makers::WacomOnly, "WinTab services not available!"},
      {true, "wacom Intuos", Makers::WacomOnly, "Wacom tablet not installed!"},
      {true, "WACO", Makers::WacomOnly, "Wacom tablet not installed!"},
      {true, "WACOMish pad", Makers::WacomOnly, nullptr},
      // --any-tablet: any maker's tablet, but a tablet all the same
      {true, "Genius EasyPen i405X", Makers::Any, nullptr},
      {false, "WACOM Intuos", Makers::Any, "WinTab services not available!"}};
  QDir(temp.path()).mkdir("bin");
  for (const auto& [services, device, makers, message] : cases) {
    messages.shown.clear();
    tablet.servicesPresent = services;
    tablet.deviceName = device;
    CTabletMidiApp app(tablet, midi, messages);
    app.AcceptTabletMakers(makers);
    testing::internal::CaptureStderr();
    EXPECT_EQ(app.Prepare(Path("bin"), Path("data")), message == nullptr) << device;
    // The box, and the same words on standard error for whoever started the
    // program, with the option that helps: another maker's tablet, or none.
    const std::string errors = testing::internal::GetCapturedStderr();
    if (message) {
      EXPECT_TRUE(errors.starts_with("quill: " + std::string(message) + "\n")) << errors;
      EXPECT_NE(errors.find(services ? "'quill --any-tablet'" : "'quill --tablet=auto'"), std::string::npos) << errors;
    } else {
      EXPECT_EQ(errors, "") << device;
    }
    EXPECT_EQ(app.ExitStatus(), message ? CTabletMidiApp::kStartupFailed : 0) << device;
    EXPECT_EQ(app.Orientation().orientationSupported, message == nullptr) << device;
    using Shown = decltype(messages.shown);
    const Shown expected = message ? Shown{{message, MessageIcon::Error}} : Shown{};
    EXPECT_EQ(messages.shown, expected) << device;
  }
  MouseTabletService mouse;  // with the mouse as the pen there is no maker to ask for
  CTabletMidiApp withMouse(mouse, midi, messages);
  messages.shown.clear();
  EXPECT_TRUE(withMouse.Prepare(Path("bin"), Path("data")));
  EXPECT_TRUE(messages.shown.empty());
  tablet.servicesPresent = false;  // and then no window is made
  CTabletMidiApp app(tablet, midi, messages);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(app.InitInstance());
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(tablet.openCalls, 0);
  EXPECT_EQ(app.ExitStatus(), CTabletMidiApp::kStartupFailed);
}

TEST_F(StartupTest, AWindowWithoutTheTabletContextEndsWithAFailureStatus) {
  std::vector<std::string> boxes;
  QTimer closer;  // answers the message box, then closes the window
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->text().toStdString());
      box->done(QMessageBox::Ok);
    } else if (auto* window = qobject_cast<CTabletMidiDlg*>(modal)) {
      window->done(0);
    }
  });
  closer.start(10);
  for (const bool opens : {true, false}) {
    SCOPED_TRACE(opens);
    boxes.clear();
    tablet.opens = opens;
    CTabletMidiApp app(tablet, midi, messages);
    testing::internal::CaptureStderr();
    app.InitInstance();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(app.ExitStatus(), opens ? 0 : CTabletMidiApp::kStartupFailed);
    // Qt's offscreen platform has its own say there too.
    EXPECT_EQ(errors.find("quill: Could not open tablet context!\n") != std::string::npos, !opens) << errors;
    EXPECT_EQ(boxes, opens ? std::vector<std::string>{} : std::vector<std::string>{"Could not open tablet context!"});
  }
}

TEST_F(StartupTest, AFileNamedOnTheCommandLineIsLoadedAsLoadWould) {
  std::array<Configuration, kSlotCount> configs;
  configs.fill(DefaultConfiguration());
  configs[0].scale = 42;
  std::ofstream(Path("set.qcf").toStdString(), std::ios::binary) << FormatConfigFile(configs);
  // Named relative to the folder Quill was started in, which is not the program's.
  const QString started = QDir::currentPath();
  QDir::setCurrent(temp.path());
  int shownScale = -1, ticks = 0;
  std::vector<std::string> boxes;
  QTimer closer;  // answers whatever modal window is open: a message box or the main window
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->text().toStdString());
      box->done(QMessageBox::Ok);
    } else if (auto* window = qobject_cast<CTabletMidiDlg*>(modal)) {
      // The file is read on the window's file thread: wait for it a while.
      shownScale = window->Engine().CurrentConfiguration().scale;
      if (shownScale == 42 || ++ticks == 200) window->done(0);
    }
  });
  closer.start(10);
  CTabletMidiApp app(tablet, midi, messages);
  app.InitInstance(QStringLiteral("set.qcf"));
  QDir::setCurrent(started);
  EXPECT_EQ(shownScale, 42);
  EXPECT_EQ(boxes, std::vector<std::string>{});
}

// The window starts with the presets it had when it last closed and keeps
// them again; --fresh starts with the defaults, a file given wins, and with
// the last session off (under a session manager) the file is neither read nor
// written.
TEST_F(StartupTest, TheLastPresetsComeBackUnlessFreshOrAFileIsGiven) {
  using Use = CTabletMidiApp::LastSession;
  const auto write = [](const QString& path, uint16_t scale) {
    std::array<Configuration, kSlotCount> configs;
    configs.fill(DefaultConfiguration());
    configs[0].scale = scale;
    std::ofstream(path.toStdString(), std::ios::binary) << FormatConfigFile(configs);
  };
  const auto scaleIn = [](const QString& path) {
    std::ifstream in(path.toStdString());
    for (std::string line; std::getline(in, line);) {
      if (line.starts_with("Scale = ")) return std::stoi(line.substr(8));
    }
    return -1;
  };
  write(Path("set.qcf"), 7);
  const struct {
    Use use;
    const char* file;
    int shown;  // slot 1's scale when the window opens
    int kept;   // in last-session.qcf afterwards: the window's 100, or what was there
  } cases[] = {{Use::Restored, "", 42, 100},
               {Use::Restored, "set.qcf", 7, 100},
               {Use::Restored, "absent.qcf", 42, 100},  // a file that fails leaves the last presets
               {Use::Fresh, "", DefaultConfiguration().scale, 100},
               {Use::Off, "", DefaultConfiguration().scale, 42}};
  QDir(temp.path()).mkdir("bin");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.use) << " " << c.file);
    const QString kept = Path("data/last-session.qcf");
    QDir().mkpath(Path("data"));
    write(kept, 42);
    int shown = -1;
    // Plays the user: notes the scale shown once the files read on the file
    // thread have arrived (or after a while: then the wrong one), picks
    // another and closes.
    QElapsedTimer opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (auto* window = qobject_cast<CTabletMidiDlg*>(QApplication::activeModalWidget())) {
        if (!opened.isValid()) opened.start();
        shown = window->Engine().CurrentConfiguration().scale;
        if (shown != c.shown && !opened.hasExpired(5000)) return;
        window->Engine().SelectScale(100);
        window->done(0);
      }
    });
    closer.start(10);
    CTabletMidiApp app(tablet, midi, messages);
    app.UseLastSession(c.use);
    ASSERT_TRUE(app.Prepare(Path("bin"), Path("data")));
    EXPECT_EQ(app.LastSessionFile(), c.use == Use::Off ? QString() : kept);
    app.RunMainWindow(&messages, *c.file ? Path(c.file) : QString());
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(scaleIn(kept), c.kept);
  }
  EXPECT_EQ(messages.TakeShown(), std::vector<std::string>{"Unable to open the configuration file '" +
                                                           Path("absent.qcf").toStdString() + "'."});
}

// Parses a command line given as words after the program's name.
bool Parse(std::vector<std::string> words, CommandLine& options) {
  words.insert(words.begin(), "quill");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options);
}

TEST(CommandLine, OwnOptionsAreReadAndQtsAreLeftAlone) {
  CommandLine options;
  ASSERT_TRUE(Parse({"-platform", "offscreen", "--tablet=auto", "--midi=alsa", "presets/live set.qcf"}, options));
  EXPECT_EQ(options.tablet, TabletLayer::Auto);
  EXPECT_EQ(options.midi, MidiSystem::Alsa);
  // Qt's option values count among the files until Qt has taken its options away.
  EXPECT_EQ(options.files, (std::vector<std::string>{"offscreen", "presets/live set.qcf"}));
  EXPECT_FALSE(options.fresh);
  ASSERT_TRUE(Parse({"--version", "--help", "--fresh"}, options));
  EXPECT_TRUE(options.help && options.version && options.fresh);
  EXPECT_TRUE(options.files.empty());
  EXPECT_FALSE(options.anyTablet);
  ASSERT_TRUE(Parse({"--any-tablet", "--tablet=recording:/tmp/a pen:with colons.evemu"}, options));
  EXPECT_EQ(options.tablet, TabletLayer::Recording);
  EXPECT_EQ(options.tabletRecording, "/tmp/a pen:with colons.evemu");
  EXPECT_TRUE(options.anyTablet);
  // JACK only where the build has it, and said so where it has not.
  CommandLine jack;
  EXPECT_EQ(Parse({"--midi=jack"}, jack), MidiSystemBuiltIn(MidiSystem::Jack));
  EXPECT_EQ(jack.problem.empty(), MidiSystemBuiltIn(MidiSystem::Jack));
  if (MidiSystemBuiltIn(MidiSystem::Jack)) {
    EXPECT_EQ(jack.midi, MidiSystem::Jack);
  }
  // The MIDI client's name, as a word of its own or after '=', and the
  // latency in milliseconds.
  CommandLine midi;
  EXPECT_EQ(midi.clientName, "Quill");
  ASSERT_TRUE(Parse({"--client-name", "Quill Lead", "--midi-latency=7.5", "set.qcf"}, midi));
  EXPECT_EQ(midi.clientName, "Quill Lead");
  EXPECT_EQ(midi.midiLatency, std::chrono::microseconds(7500));
  EXPECT_EQ(midi.files, std::vector<std::string>{"set.qcf"});
  ASSERT_TRUE(Parse({"--client-name=Pad", "--midi-latency=1000"}, midi));
  EXPECT_EQ(midi.clientName, "Pad");
  // Started by a session manager, as from the menu, unless a layer was chosen.
  CommandLine managed;
  UseSessionDefaults(managed);
  EXPECT_EQ(managed.tablet, TabletLayer::Auto);
  EXPECT_TRUE(managed.anyTablet);
  ASSERT_TRUE(Parse({"--tablet=mouse"}, managed));
  UseSessionDefaults(managed);
  EXPECT_EQ(managed.tablet, TabletLayer::Mouse);
  for (const char* wrong :
       {"--tablet=wintab", "--midi=coreaudio", "--tablet", "--verbose", "--tablet=recording:", "--tablet=recording",
        "--any-tablet=yes", "--fresh=yes", "--client-name", "--client-name=", "--client-name=a:b", "--midi-latency=0",
        "--midi-latency=-3", "--midi-latency=1001", "--midi-latency=5ms", "--midi-latency="}) {
    SCOPED_TRACE(wrong);
    CommandLine untouched;
    EXPECT_FALSE(Parse({wrong}, untouched));
  }
}

void MarkerHandler(int) {}

TEST(TerminationSignals, EachSignalReachesTheEventLoopOnceAndTheOldHandlerComesBack) {
  for (int signal : TerminationSignals::kSignals) {
    struct sigaction marker {
    }, original{}, now{};
    marker.sa_handler = MarkerHandler;
    sigaction(signal, &marker, &original);
    std::vector<int> received;
    {
      QEventLoop loop;
      const TerminationSignals watcher([&](int number) {
        received.push_back(number);
        loop.quit();
      });
      ::raise(signal);
      QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // only so that a failure cannot hang the suite
      loop.exec();
      // Caught once: a second signal would take the system's default action.
      sigaction(signal, nullptr, &now);
      EXPECT_EQ(now.sa_handler, SIG_DFL) << signal;
    }
    EXPECT_EQ(received, std::vector<int>{signal});
    sigaction(signal, &original, &now);
    EXPECT_EQ(now.sa_handler, MarkerHandler) << signal;
  }
}

TEST(TerminationSignals, ASignalIgnoredByTheParentStaysIgnored) {
  for (int signal : TerminationSignals::kSignals) {
    struct sigaction ignore {
    }, original{}, now{};
    ignore.sa_handler = SIG_IGN;
    sigaction(signal, &ignore, &original);
    std::vector<int> received;
    {
      const TerminationSignals watcher([&](int number) { received.push_back(number); });
      sigaction(signal, nullptr, &now);
      EXPECT_EQ(now.sa_handler, SIG_IGN) << signal;
      ::raise(signal);  // as `nohup quill` gets a hang-up: nothing happens
      QEventLoop loop;
      QTimer::singleShot(50, &loop, &QEventLoop::quit);
      loop.exec();
    }
    EXPECT_TRUE(received.empty()) << signal;
    sigaction(signal, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN) << signal;
    sigaction(signal, &original, nullptr);
  }
}

}  // namespace
