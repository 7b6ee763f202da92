// SPDX-License-Identifier: MIT
// Quill in a session manager's session: the wait at start-up, the session's
// file taken in or left alone, saves, and the dirty state the manager hears.
#include "app/ManagedSession.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/ConfigFileWriter.h"
#include "tests/support/SessionFakes.h"
#include "tests/support/WindowFakes.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {
using namespace std::chrono_literals;
using Heard = std::vector<std::string>;

std::string Contents(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ManagedSessionTest : public ::testing::Test, protected WindowOverFakes {
 protected:
  void SetUp() override { ASSERT_TRUE(window->OnInitDialog()); }
  QString SessionPath() const { return temp.filePath("Quill.nABCD"); }
  QString File() const { return SessionPath() + ".qcf"; }
  /// The manager sends the session while Quill waits for it.
  ManagedSession::Start OpenedWhileWaiting(ManagedSession& session) {
    QTimer::singleShot(0, [&] { manager.Open({SessionPath().toStdString(), "Quill", "nABCD"}); });
    return session.AnnounceAndWait(10s);
  }
  /// Lets the window's file threads finish what they were given.
  void Settle(size_t heard) {
    EXPECT_TRUE(ProcessEventsUntil([&] { return manager.heard.size() >= heard; })) << testing::PrintToString(manager.heard);
  }

  QTemporaryDir temp;
  FakeSessionClient manager;
};

TEST_F(ManagedSessionTest, ANewSessionStartsWithTheDefaultsAndSavesEveryChange) {
  ManagedSession session(manager);
  ASSERT_EQ(OpenedWhileWaiting(session), ManagedSession::Start::Opened);
  EXPECT_EQ(session.ClientName("Quill"), "nABCD");
  // A save that arrives before the window took the session waits for it.
  manager.Save();
  session.Attach(*window);
  Settle(4);
  EXPECT_EQ(manager.heard, (Heard{"announce", "open done: Opened", "save done: Saved", "clean"}));
  EXPECT_TRUE(Contents(File()) == window->Engine().FormatPresets());

  // A change makes the presets differ from the file; changing it back does not.
  const int scale = window->Engine().CurrentConfiguration().scale;
  window->Engine().SelectScale(scale + 1);
  window->Engine().SelectScale(scale);
  window->Engine().SelectScale(scale + 2);
  manager.Save();
  Settle(9);
  EXPECT_EQ(manager.heard, (Heard{"announce", "open done: Opened", "save done: Saved", "clean", "dirty", "clean",
                                  "dirty", "save done: Saved", "clean"}));
  EXPECT_TRUE(Contents(File()) == window->Engine().FormatPresets());
  session.Detach();
  manager.Save();
  EXPECT_EQ(manager.heard.back(), "save failed -1: Quill is ending");
}

TEST_F(ManagedSessionTest, TheSessionsFileIsLoadedAndOneThatCannotBeReadIsNeverOverwritten) {
  std::array<Configuration, kSlotCount> presets;
  presets.fill(DefaultConfiguration());
  presets[0].scale = 42;
  {
    std::ofstream(File().toStdString(), std::ios::binary) << FormatConfigFile(presets);
  }
  ManagedSession session(manager);
  ASSERT_EQ(OpenedWhileWaiting(session), ManagedSession::Start::Opened);
  session.Attach(*window);
  Settle(2);
  EXPECT_EQ(manager.heard.back(), "open done: Opened");
  EXPECT_EQ(window->Engine().CurrentConfiguration().scale, 42);
  session.Detach();

  // Damaged: the open fails, and so does every save, leaving the bytes as they are.
  const std::string damaged = "[Configuration 1]\r\nScale = \x01\xff\r\n";
  {
    std::ofstream(File().toStdString(), std::ios::binary | std::ios::trunc) << damaged;
  }
  FakeSessionClient second;
  ManagedSession again(second);
  QTimer::singleShot(0, [&] { second.Open({SessionPath().toStdString(), "Quill", "nABCD"}); });
  ASSERT_EQ(again.AnnounceAndWait(10s), ManagedSession::Start::Opened);
  WindowOverFakes other;
  ASSERT_TRUE(other.window->OnInitDialog());
  again.Attach(*other.window);
  EXPECT_TRUE(ProcessEventsUntil([&] { return second.heard.size() >= 2; }));
  ASSERT_EQ(second.heard.size(), 2u);
  EXPECT_TRUE(second.heard[1].starts_with("open failed -9: ")) << second.heard[1];
  second.Save();
  EXPECT_TRUE(second.heard.back().starts_with("save failed -1: ")) << second.heard.back();
  EXPECT_EQ(Contents(File()), damaged);
  again.Detach();
}

TEST_F(ManagedSessionTest, WithoutASessionInTimeQuillRunsAloneAndTellsTheManager) {
  ManagedSession silent(manager);
  EXPECT_EQ(silent.AnnounceAndWait(20ms), ManagedSession::Start::Unanswered);
  EXPECT_EQ(silent.ClientName("Pad"), "Pad");
  // A session that comes after Quill went on with its own presets is refused, and so are saves.
  manager.Open({SessionPath().toStdString(), "Quill", "nABCD"});
  manager.Save();
  ASSERT_EQ(manager.heard.size(), 3u);
  EXPECT_TRUE(manager.heard[1].starts_with("open failed -1: ")) << manager.heard[1];
  EXPECT_TRUE(manager.heard[2].starts_with("save failed -6: ")) << manager.heard[2];
  EXPECT_FALSE(QFileInfo::exists(File()));

  FakeSessionClient refusing;
  ManagedSession refused(refusing);
  QTimer::singleShot(0, [&] { refusing.Refuse("no room"); });
  EXPECT_EQ(refused.AnnounceAndWait(10s), ManagedSession::Start::Refused);
}

}  // namespace
