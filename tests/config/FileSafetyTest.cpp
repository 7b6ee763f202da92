// SPDX-License-Identifier: MIT
// Saving never damages the file already on disk. The tests run as root, where
// permission bits stop no write, so failures are made by other means: a
// folder that does not exist, a target that is a folder, and a file-size
// limit that makes the writing itself fail half-way (or kills the process). A picture or
// configuration file the engine refuses changes nothing but the remembered
// folder. The messages of saving and loading, and loading back what was
// saved, are checked by the replay golden test (tests/replay/golden/files.qrs).
#include <gtest/gtest.h>

#include <QImage>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/ConfigFields.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/SafeFileWriter.h"
#include "tests/support/EngineFakes.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a scratch folder: no temporary file may be left behind.
std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeFileWriter, ReplacesTheFileKeepingItsModeAndFailuresChangeNothing) {
  const fs::path dir = fs::temp_directory_path() / ("quill-save-" + std::to_string(::getpid()));
  const fs::path target = dir / "set.qcf";
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  std::ofstream(dir / "plain") << "x";
  ASSERT_TRUE(WriteFileSafely(target.string(), std::string("one\r\n\0two", 10)));
  EXPECT_EQ(ReadBytes(target), std::string("one\r\n\0two", 10));
  ::chmod(target.c_str(), 0640);
  const std::string old(3000, 'o');
  ASSERT_TRUE(WriteFileSafely(target.string(), old));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  for (const fs::path& path : {dir / "missing" / "set.qcf", dir / "plain" / "set.qcf", dir / "folder", fs::path()}) {
    EXPECT_FALSE(WriteFileSafely(path.string(), "data")) << path;
  }
  // Files may grow to 1000 bytes only: the write of 8000 fails with EFBIG.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool savedOk = WriteFileSafely(target.string(), std::string(8000, 'n'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(savedOk);
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(ReadBytes(dir / "plain"), "x");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder", "plain", "set.qcf"}));
  EXPECT_TRUE(fs::is_directory(dir / "folder") && fs::is_empty(dir / "folder"));
  fs::remove_all(dir);
}

// A folder of its own for a test, gone afterwards.
struct Scratch {
  explicit Scratch(const char* name) : dir(fs::temp_directory_path() / (name + std::to_string(::getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() { fs::remove_all(dir); }
  std::string operator/(const std::string& name) const { return (dir / name).string(); }
  const fs::path dir;
};

// A save does what writing into the file would do: through links, never over
// a file the user may not write or one that is no plain file, whatever the
// length of its name.
TEST(SafeFileWriter, SavesWhereWritingIntoTheFileWouldAndOnlyThere) {
  const Scratch s("quill-save-targets-");
  fs::create_directories(s.dir / "stick");
  std::ofstream(s / "stick/presets.qcf") << "old";
  std::ofstream(s / "locked.qcf") << "old";
  ::chmod((s / "locked.qcf").c_str(), 0444);
  fs::create_symlink("stick/presets.qcf", s.dir / "link.qcf");
  fs::create_symlink(s / "link.qcf", s.dir / "link-to-link.qcf");
  fs::create_symlink("stick/new.qcf", s.dir / "dangling.qcf");
  fs::create_symlink("locked.qcf", s.dir / "to-locked.qcf");
  fs::create_symlink("loop.qcf", s.dir / "loop.qcf");
  ASSERT_EQ(::mkfifo((s / "pipe.qcf").c_str(), 0644), 0);
  // The longest names the file system takes, one of them in two-byte letters.
  const std::string longName = std::string(251, 'n') + ".qcf";
  std::string longLetters;
  while (longLetters.size() < 250) longLetters += "\xc3\xa9";
  longLetters += ".qcf";

  const struct {
    std::string path;
    bool written;
    std::string file;  // holds `bytes` when written, "old" otherwise
  } cases[] = {
      {s / "link.qcf", true, s / "stick/presets.qcf"},
      {s / "link-to-link.qcf", true, s / "stick/presets.qcf"},
      {s / "dangling.qcf", true, s / "stick/new.qcf"},
      {s / "locked.qcf", false, s / "locked.qcf"},
      {s / "to-locked.qcf", false, s / "locked.qcf"},
      {s / "loop.qcf", false, ""},
      {s / "pipe.qcf", false, ""},
      {s / longName, true, s / longName},
      {s / longLetters, true, s / longLetters},
  };
  for (const auto& test : cases) {
    const std::string bytes = "saved as " + test.path;
    EXPECT_EQ(WriteFileSafely(test.path, bytes), test.written) << test.path;
    if (!test.file.empty()) {
      EXPECT_EQ(ReadBytes(test.file), test.written ? bytes : "old") << test.path;
    }
  }
  for (const char* link : {"link.qcf", "link-to-link.qcf", "dangling.qcf", "to-locked.qcf"}) {
    EXPECT_TRUE(fs::is_symlink(s.dir / link)) << link;
  }
  EXPECT_TRUE(fs::is_fifo(s.dir / "pipe.qcf"));
  struct stat locked {};
  ASSERT_EQ(::stat((s / "locked.qcf").c_str(), &locked), 0);
  EXPECT_EQ(locked.st_mode & 07777, 0444u);
  EXPECT_EQ(Entries(s.dir),
            (std::vector<std::string>{"dangling.qcf", "link-to-link.qcf", "link.qcf", "locked.qcf", "loop.qcf",
                                      longName, "pipe.qcf", "stick", "to-locked.qcf", longLetters}));
  EXPECT_EQ(Entries(s.dir / "stick"), (std::vector<std::string>{"new.qcf", "presets.qcf"}));
}

// For a user other than root the permission bits (and access lists) decide,
// as they would for writing into the file: a folder everyone may write lets
// anyone rename over a file, but not save over one they may not write.
TEST(SafeFileWriter, AnotherUserSavesOnlyWhatTheyMayWrite) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const Scratch s("quill-save-user-");
  ::chmod(s.dir.c_str(), 0777);
  const struct {
    const char* name;
    mode_t mode;
    bool written;
  } cases[] = {{"theirs.qcf", 0644, false}, {"shared.qcf", 0666, true}, {"locked.qcf", 0444, false}};
  for (const auto& test : cases) {
    const std::string path = s / test.name;
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), test.mode);
    const pid_t child = ::fork();
    if (child == 0) {
      const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && WriteFileSafely(path, "new");
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, test.written) << test.name;
    EXPECT_EQ(ReadBytes(path), test.written ? "new" : "old") << test.name;
  }
}

// Runs a save of `path` in a child process that a file-size limit kills
// half-way through writing, as a crash or a kill would.
void KilledSave(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_DFL);
    const rlimit small{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &small);
    WriteFileSafely(path, std::string(8000, 'k'));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
}

// A killed save leaves its temporary file; the next save of the same file
// removes it, unless a save still running holds it, and leaves every other
// file alone, the leftovers of other files' saves too.
TEST(SafeFileWriter, TheNextSaveRemovesWhatAKilledSaveOfTheFileLeft) {
  const Scratch s("quill-save-leftovers-");
  std::ofstream(s / "set.qcf.tmp123") << "the user's";
  std::ofstream(s / "set.qcf") << "old";
  KilledSave(s / "other.qcf");
  KilledSave(s / "set.qcf");
  std::vector<std::string> left = Entries(s.dir);
  ASSERT_EQ(left.size(), 4u) << "a temporary file beside other.qcf, set.qcf and set.qcf.tmp123";
  const std::string otherLeftover = left[0], heldLeftover = left[1];
  ASSERT_TRUE(otherLeftover.starts_with(".other.qcf.quill-save-")) << otherLeftover;
  ASSERT_TRUE(heldLeftover.starts_with(".set.qcf.quill-save-")) << heldLeftover;
  // This one stands for a save still under way: it holds the lock.
  const int held = ::open((s / heldLeftover).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  KilledSave(s / "set.qcf");
  ASSERT_EQ(Entries(s.dir).size(), 5u);

  ASSERT_TRUE(WriteFileSafely(s / "set.qcf", "new"));
  EXPECT_EQ(Entries(s.dir), (std::vector<std::string>{otherLeftover, heldLeftover, "set.qcf", "set.qcf.tmp123"}));
  ::close(held);
  ASSERT_TRUE(WriteFileSafely(s / "set.qcf", "newer"));
  EXPECT_EQ(Entries(s.dir), (std::vector<std::string>{otherLeftover, "set.qcf", "set.qcf.tmp123"}));
  EXPECT_EQ(ReadBytes(s / "set.qcf"), "newer");
  EXPECT_EQ(ReadBytes(s / "set.qcf.tmp123"), "the user's");
}

TEST(SlotFiles, RefusedFilesChangeNothing) {
  const fs::path dir = fs::temp_directory_path() / ("quill-slotfiles-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.qcf");
  auto path = [&dir](const char* name) { return (dir / name).string(); };
  QImage red(4, 3, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(path("red.bmp")), "BMP"));
  std::ofstream(path("other.txt")) << "<header>\nsomething else\nKey = 2\n";
  // Presets, then more than any file the writer makes could hold: refused
  // unread. So is a pipe, which could keep the reader waiting.
  std::array<Configuration, kSlotCount> changed;
  changed.fill(DefaultConfiguration());
  changed[0].key = 2;
  std::ofstream(path("padded.qcf"), std::ios::binary)
      << FormatConfigFile(changed) << std::string(kMaxConfigFileBytes, '#');
  ASSERT_EQ(::mkfifo(path("pipe.qcf").c_str(), 0644), 0);

  EngineRig rig;
  rig.engine.LoadPicture(path("red.bmp"));
  ASSERT_TRUE(rig.engine.HasPicture(0));
  rig.engine.SelectScale(3);
  std::array<Configuration, kSlotCount> before;
  for (int s = 0; s < kSlotCount; ++s) before[s] = rig.engine.SlotConfiguration(s);
  rig.midi.sent.clear();

  rig.engine.LoadPicture(path("other.txt"));
  EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to load the picture!"});
  EXPECT_EQ(rig.engine.Locations().picturesFolder, path("other.txt"));
  EXPECT_TRUE(rig.engine.HasPicture(0));
  EXPECT_EQ(rig.engine.SlotPicture(0).Row(0)[0], 255);
  const struct {
    std::string file, message;
  } cases[] = {{path("other.txt"), "This is not a Quill configuration file !"},
               {path("absent.qcf"), "Unable to open the configuration file '" + path("absent.qcf") + "'."},
               {path("folder.qcf"), "Unable to open the configuration file '" + path("folder.qcf") + "'."},
               {path("pipe.qcf"), "Unable to open the configuration file '" + path("pipe.qcf") + "'."},
               {path("padded.qcf"), "This is not a Quill configuration file !"}};
  for (const auto& test : cases) {
    std::string answer = "no answer";
    rig.engine.LoadConfigurations(test.file, [&](const std::string& failure) { answer = failure; });
    EXPECT_EQ(answer, test.message);
    EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{test.message});
    EXPECT_EQ(rig.engine.Locations().configsFolder, test.file);
    for (int s = 0; s < kSlotCount; ++s) EXPECT_EQ(rig.engine.SlotConfiguration(s), before[s]) << test.file << s;
    EXPECT_TRUE(rig.engine.HasPicture(0));
  }
  EXPECT_TRUE(rig.midi.sent.empty());
  fs::remove_all(dir);
}

// Line ends never reach a saved file: a picture path holding one is refused
// when chosen and when a file names it (a CR inside a line), and a port name
// the system gives with one is kept, saved and found again without it.
TEST(SlotFiles, LineEndsInPathsAndPortNamesNeverReachTheFile) {
  const Scratch s("quill-line-ends-");
  QImage red(4, 3, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  for (const char* name : {"red\nKey = 3.bmp", "red\rKey = 4.bmp"}) {
    ASSERT_TRUE(red.save(QString::fromStdString(s / name), "BMP"));
  }
  EngineRig rig(2);
  rig.midi.names = rig.midi.systemNames = {"Device 0", "Synth\r\nKey = 5"};
  for (const char* name : {"red\nKey = 3.bmp", "red\rKey = 4.bmp"}) {
    rig.engine.LoadPicture(s / name);
    EXPECT_EQ(rig.messages.TakeShown(), std::vector<std::string>{"Unable to load the picture!"}) << name;
    EXPECT_FALSE(rig.engine.HasPicture(0));
    EXPECT_EQ(rig.engine.CurrentConfiguration().picture, "");
  }
  rig.engine.SelectPort(1);
  EXPECT_EQ(rig.engine.CurrentConfiguration().midiOutPortName, "SynthKey = 5");
  rig.engine.SaveConfigurations(s / "set.qcf");
  const std::string saved = ReadBytes(s / "set.qcf");
  // Eight header lines, then each block: <config>, its fields, </config> and a blank line.
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 8 + kSlotCount * (kConfigFieldCount + 3));

  // Loaded with the list in another order, the preset finds its port by name
  // and no stray line has set its key.
  rig.midi.systemNames = {"Synth\r\nKey = 5", "Device 0"};
  rig.engine.RefreshPorts();
  rig.engine.LoadConfigurations(s / "set.qcf");
  EXPECT_TRUE(rig.messages.TakeShown().empty());
  EXPECT_EQ(rig.engine.CurrentConfiguration().midiOutPort, 0);
  EXPECT_EQ(rig.engine.CurrentConfiguration().key, DefaultConfiguration().key);

  // A file naming the picture with a CR inside its line.
  std::string named = saved;
  named.insert(named.find("Picture = ") + 10, s / "red\rKey = 4.bmp");
  ASSERT_TRUE(WriteFileSafely(s / "named.qcf", named));
  rig.engine.LoadConfigurations(s / "named.qcf");
  EXPECT_EQ(rig.messages.TakeShown(),
            std::vector<std::string>{"Unable to read the picture '" + (s / "red\rKey = 4.bmp") +
                                     "' referenced by configuration #1."});
  EXPECT_FALSE(rig.engine.HasPicture(0));
  EXPECT_EQ(rig.engine.CurrentConfiguration().picture, "");
}

// Keeps every load until the test lets the answers come, each read then.
class DeferredLoader : public FileLoader {
 public:
  void Load(const std::string& path, uint64_t limit, Done done) override {
    requests.push_back([=, done = std::move(done)] { done(ReadWholeFile(path, limit)); });
  }
  void AnswerAll() {
    for (auto& answer : std::exchange(requests, {})) answer();
  }
  std::vector<std::function<void()>> requests;
};

// Load reads away from the engine's thread: nothing changes, and nothing is
// said, until the bytes arrive; then the presets are taken in as they are in
// the file then, with Load's messages.
TEST(SlotFiles, LoadTakesThePresetsInWhenTheBytesArrive) {
  const Scratch s("quill-load-later-");
  std::array<Configuration, kSlotCount> presets;
  presets.fill(DefaultConfiguration());
  presets[0].scale = 42;
  presets[0].midiPatch = 3;
  ASSERT_TRUE(WriteFileSafely(s / "set.qcf", FormatConfigFile(presets)));
  EngineRig rig;
  DeferredLoader loader;
  rig.engine.UseFileLoader(loader);

  // Whoever asked hears how each ended once it has: the presets taken, or why not.
  std::vector<std::string> answers;
  const auto answer = [&](const std::string& failure) {
    answers.push_back(failure + " at scale " + std::to_string(rig.engine.CurrentConfiguration().scale));
  };
  rig.engine.LoadConfigurations(s / "set.qcf", answer);
  rig.engine.LoadConfigurations(s / "absent.qcf", answer);
  EXPECT_EQ(rig.engine.Locations().configsFolder, s / "absent.qcf");
  ASSERT_EQ(loader.requests.size(), 2u);
  EXPECT_EQ(rig.engine.CurrentConfiguration().scale, DefaultConfiguration().scale);
  EXPECT_TRUE(rig.messages.shown.empty());
  EXPECT_TRUE(answers.empty());
  EXPECT_TRUE(rig.midi.sent.empty());
  loader.AnswerAll();
  EXPECT_EQ(rig.engine.CurrentConfiguration().scale, 42);
  EXPECT_EQ(rig.midi.TakeSent(), std::vector<std::string>{"C0 03 00"});
  EXPECT_EQ(rig.messages.TakeShown(),
            std::vector<std::string>{"Unable to open the configuration file '" + (s / "absent.qcf") + "'."});
  EXPECT_EQ(answers, (std::vector<std::string>{" at scale 42", "Unable to open the configuration file '" +
                                                                   (s / "absent.qcf") + "'. at scale 42"}));
}

}  // namespace
