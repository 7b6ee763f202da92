// SPDX-License-Identifier: MIT
#include "tablet/layers/TabletLayers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "LayerTest.h"
#include "tablet/layers/EvdevTabletFinder.h"
#include "tablet/layers/EvdevTabletService.h"
#include "tablet/layers/MouseTabletService.h"
#include "tablet/layers/QtTabletService.h"

namespace {

TEST(TabletLayers, EachChoiceGivesItsLayer) {
  TestApplication();
  EXPECT_NE(dynamic_cast<MouseTabletService*>(CreateTabletService(TabletLayer::Mouse).get()), nullptr);
  EXPECT_NE(dynamic_cast<QtTabletService*>(CreateTabletService(TabletLayer::Qt).get()), nullptr);
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
