// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "config/ConfigFileWriter.h"
#include "ui/window/CTabletMidiDlg.h"

#include "app/CTabletMidiApp.h"
#include "tablet/layers/MouseTabletService.h"
#include "tests/window/WindowFakes.h"

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
  FakeMidiOut midi{1};
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
    EXPECT_EQ(app.Prepare(Path("bin"), Path("data")), message == nullptr) << device;
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
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(tablet.openCalls, 0);
}

TEST_F(StartupTest, AFileNamedOnTheCommandLineIsLoadedAsLoadWould) {
  std::array<Configuration, kSlotCount> configs;
  configs.fill(DefaultConfiguration());
  configs[0].scale = 42;
  std::ofstream(Path("set.qcf").toStdString(), std::ios::binary) << FormatConfigFile(configs);
  // Named relative to the folder Quill was started in, which is not the program's.
  const QString started = QDir::currentPath();
  QDir::setCurrent(temp.path());
  int shownScale = -1;
  std::vector<std::string> boxes;
  QTimer closer;  // answers whatever modal window is open: a message box or the main window
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->text().toStdString());
      box->done(QMessageBox::Ok);
    } else if (auto* window = qobject_cast<CTabletMidiDlg*>(modal)) {
      shownScale = window->Engine().CurrentConfiguration().scale;
      window->done(0);
    }
  });
  closer.start(10);
  CTabletMidiApp app(tablet, midi, messages);
  app.InitInstance(QStringLiteral("set.qcf"));
  QDir::setCurrent(started);
  EXPECT_EQ(shownScale, 42);
  EXPECT_EQ(boxes, std::vector<std::string>{});
}

}  // namespace
