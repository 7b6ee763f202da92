// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/CTabletMidiApp.h"
#include "tests/window/WindowFakes.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp.isValid()); }
  QString Path(const QString& name) const { return temp.filePath(name); }
  // A plain file: no folder can be created beneath it, not even by root.
  QString MakeFile(const QString& name) const {
    QFile file(Path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return Path(name);
  }

  QTemporaryDir temp;
  FakeMidiOut midi{1};
  ScriptedTablet tablet;
  RecordingMessages messages;
};

TEST_F(StartupTest, CreatesTheFoldersBesideTheProgram) {
  QDir(temp.path()).mkdir("bin");
  CTabletMidiApp app(tablet, midi, messages);
  ASSERT_TRUE(app.Prepare(Path("bin"), Path("data")));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(QFileInfo(Path("bin/Configs")).isDir());
  EXPECT_TRUE(QFileInfo(Path("bin/Pictures")).isDir());
  EXPECT_EQ(app.ConfigsFolder(), Path("bin/Configs"));
  EXPECT_EQ(QDir::currentPath() + "/", app.ProgramFolder());
  // A second start finds them and shows nothing.
  CTabletMidiApp again(tablet, midi, messages);
  ASSERT_TRUE(again.Prepare(Path("bin"), Path("data")));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, UnwritableProgramFolderUsesTheDataFolder) {
  const QString program = MakeFile("quill-binary");
  CTabletMidiApp app(tablet, midi, messages);
  ASSERT_TRUE(app.Prepare(program, Path("data/Quill")));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(QFileInfo(Path("data/Quill/Configs")).isDir());
  EXPECT_EQ(app.Locations().picturesFolder, Path("data/Quill/Pictures").toStdString());
}

TEST_F(StartupTest, FoldersThatCannotBeCreatedShowBothMessagesAndGoOn) {
  const QString program = MakeFile("quill-binary");
  const QString blocked = MakeFile("not-a-folder");
  CTabletMidiApp app(tablet, midi, messages);
  EXPECT_TRUE(app.Prepare(program, blocked + "/Quill"));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].first, "Unable to create the 'Configs' folder !");
  EXPECT_EQ(messages.shown[1].first, "Unable to create the 'Pictures' folder !");
  EXPECT_EQ(messages.shown[0].second, MessageIcon::Warning);
}

TEST_F(StartupTest, WithoutAUsableTabletTheProgramEnds) {
  struct TabletCase {
    bool services;
    std::string device;
    const char* message;  // nullptr: start-up goes on
  };
  const TabletCase cases[] = {
      {false, "WACOM Intuos", "WinTab services not available!"},
      {true, "wacom Intuos", "Wacom tablet not installed!"},
      {true, "WACO", "Wacom tablet not installed!"},
      {true, "", "Wacom tablet not installed!"},
      {true, "WACOM", nullptr},
      {true, "WACOMish pad", nullptr},
  };
  QDir(temp.path()).mkdir("bin");
  for (const TabletCase& c : cases) {
    SCOPED_TRACE(c.device);
    messages.shown.clear();
    tablet.servicesPresent = c.services;
    tablet.deviceName = c.device;
    CTabletMidiApp app(tablet, midi, messages);
    EXPECT_EQ(app.Prepare(Path("bin"), Path("data")), c.message == nullptr);
    if (c.message != nullptr) {
      ASSERT_EQ(messages.shown.size(), 1u);
      EXPECT_EQ(messages.shown[0].first, c.message);
      EXPECT_EQ(messages.shown[0].second, MessageIcon::Error);
      EXPECT_FALSE(app.Orientation().orientationSupported);
    } else {
      EXPECT_TRUE(messages.shown.empty());
      EXPECT_TRUE(app.Orientation().orientationSupported);
      EXPECT_NEAR(app.Orientation().altitudeScale, 250.0, 1e-9);
    }
  }
  // And the tablet check failing also means no window: InitInstance returns at once.
  tablet.servicesPresent = false;
  CTabletMidiApp app(tablet, midi, messages);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(tablet.openCalls, 0);
}

}  // namespace
