// SPDX-License-Identifier: MIT
// The tablet layers: which one each choice gives, how evdev tablets are found,
// and a recording played as a device.
#include "tablet/layers/TabletLayers.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LayerTest.h"
#include "tablet/layers/EvdevTabletFinder.h"
#include "tablet/layers/EvdevTabletService.h"
#include "tablet/layers/MouseTabletService.h"
#include "tablet/layers/QtTabletService.h"
#include "tablet/layers/RecordingTabletService.h"

namespace {

std::string DataFile(const std::string& name) { return std::string(QUILL_TABLET_DATA) + "/" + name; }

TabletRecording Read(const std::string& name) {
  std::string error;
  auto recording = ReadTabletRecording(DataFile(name), error);
  EXPECT_TRUE(recording) << error;
  return recording ? *recording : TabletRecording{};
}

// The packets one pass of the recording gives on a screen of the given size.
std::vector<TabletPacket> OnePass(const TabletRecording& recording, QSize screen) {
  EvdevTabletCore core;
  core.SetDevice(recording.device);
  std::vector<TabletPacket> packets;
  core.OpenContext([&packets](const TabletPacket& packet) { packets.push_back(packet); });
  for (const input_event& event : recording.events) core.Feed(event, screen.width(), screen.height());
  core.DeviceLost(screen.width(), screen.height());
  return packets;
}

class RecordingTabletServiceTest : public LayerTest<RecordingTabletService> {
 protected:
  RecordingTabletServiceTest() : LayerTest(Read(kFile)) {}
  static constexpr const char* kFile = "made-here-toolless-pen-tap.evemu";
};

TEST_F(RecordingTabletServiceTest, TheRecordingPlaysOverAndOverAsTheDeviceWould) {
  EXPECT_EQ(service.DeviceName(), "Toolless Pen");
  EXPECT_TRUE(service.Orientation().supported);
  Open();
  const std::vector<TabletPacket> pass = OnePass(Read(kFile), screen);
  ASSERT_GT(pass.size(), 20u);

  // Real time: wait as long as a slow machine may need, not as long as it should take.
  const QDeadlineTimer deadline(60'000);
  while (packets.size() < 2 * pass.size() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  ASSERT_GE(packets.size(), 2 * pass.size());
  EXPECT_EQ(std::vector<TabletPacket>(packets.begin(), packets.begin() + pass.size()), pass);
  EXPECT_EQ(std::vector<TabletPacket>(packets.begin() + pass.size(), packets.begin() + 2 * pass.size()), pass);
  service.Close();
}

TEST(TabletLayers, EachChoiceGivesItsLayerAndARecordingThatCannotBePlayedOneWithoutServices) {
  TestApplication();
  EXPECT_NE(dynamic_cast<MouseTabletService*>(CreateTabletService(TabletLayer::Mouse).get()), nullptr);
  EXPECT_NE(dynamic_cast<QtTabletService*>(CreateTabletService(TabletLayer::Qt).get()), nullptr);
  EXPECT_TRUE(CreateTabletService(TabletLayer::Recording, DataFile("genius-easypen-i405x.evemu"))->ServicesPresent());
  for (const char* file : {"made-here-pointer-without-pressure.evemu", "no-such-recording.evemu", "README.md"}) {
    SCOPED_TRACE(file);
    auto tablet = CreateTabletService(TabletLayer::Recording, DataFile(file));
    EXPECT_FALSE(tablet->ServicesPresent());
    EXPECT_FALSE(tablet->OpenContext([](const TabletPacket&) {}));
  }
  if (!EvdevTabletFinder::Find().empty()) GTEST_SKIP() << "this machine has a tablet node";
  // Without tablet nodes the automatic choice is Qt, and a forced evdev layer has no services.
  EXPECT_NE(dynamic_cast<QtTabletService*>(CreateTabletService(TabletLayer::Default).get()), nullptr);
  // No tablet here at all: auto falls back to the mouse.
  EXPECT_NE(dynamic_cast<MouseTabletService*>(CreateTabletService(TabletLayer::Auto).get()), nullptr);
  auto evdev = CreateTabletService(TabletLayer::Evdev);
  EXPECT_FALSE(evdev->ServicesPresent());
  EXPECT_FALSE(evdev->OpenContext([](const TabletPacket&) {}));
}

TEST(EvdevTabletFinder, UdevMarksOnlyTabletsThatAreNotPadsAndOtherFilesAreSkipped) {
  EXPECT_TRUE(EvdevTabletFinder::UdevDataMarksTablet("I:123\nE:ID_INPUT=1\nE:ID_INPUT_TABLET=1\nG:seat\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet("E:ID_INPUT_TABLET=1\nE:ID_INPUT_TABLET_PAD=1\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet("E:ID_INPUT_MOUSE=1\nE:ID_INPUT_TABLET=10\n"));
  EXPECT_FALSE(EvdevTabletFinder::UdevDataMarksTablet(""));
  const auto dir = std::filesystem::temp_directory_path() / "quill-tablet-finder-test";
  std::filesystem::create_directories(dir);
  for (const char* name : {"event0", "event12", "mouse0"}) std::ofstream(dir / name) << "not a device";
  EXPECT_TRUE(EvdevTabletFinder::Find(dir.string()).empty());
  EXPECT_TRUE(EvdevTabletFinder::Find((dir / "missing").string()).empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
